#include "host/x11/X11Connection.h"

namespace host {

X11Connection::X11Connection() = default;
X11Connection::~X11Connection() = default;

}  // namespace host
