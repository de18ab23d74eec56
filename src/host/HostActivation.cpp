#include "host/HostActivation.h"

namespace host {

void HostActivation::activate(bool) {
    active_ = true;
}

}  // namespace host
