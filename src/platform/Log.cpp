#include "platform/Log.h"

namespace platform {

std::string_view logLevelName(LogLevel level) {
    switch (level) {
    case LogLevel::defaultLevel: return "default";
    case LogLevel::info: return "info";
    case LogLevel::error: return "error";
    }
    return "default";
}

}  // namespace platform
