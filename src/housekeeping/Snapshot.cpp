#include "housekeeping/Snapshot.h"

#include "platform/Platform.h"

namespace Snapshot {

std::optional<std::string> directory() {
    return platform::current().processInfo.environment(directoryVariable);
}

bool depictsStandardMac() {
    if (directory()) return true;
    return platform::current().processInfo.environment(standardMacVariable) == "1";
}

}  // namespace Snapshot
