#pragma once

// Application bundles for tests: Name.app/Contents/{Info.plist,MacOS/Name}.

#include <string>

namespace support {

// Makes `folder`/`name`.app with this identifier and a copy of `executable`
// as its program; answers the program's path inside the bundle.
std::string makeBundle(const std::string& folder, const std::string& name, const std::string& identifier,
                       const std::string& executable);

}  // namespace support
