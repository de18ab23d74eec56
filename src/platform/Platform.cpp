#include "platform/Platform.h"

#include <cassert>

namespace platform {
namespace {
Platform* installed = nullptr;
}

Platform& current() {
    assert(installed && "platform::install() must run first");
    return *installed;
}

void install(Platform* platform) { installed = platform; }

}  // namespace platform
