// The small system files the host reads as text: /etc/default/keyboard and
// /etc/os-release (with a kernel release). Any bytes must give an answer,
// never a crash, and the answer must be valid text for what uses it.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/HostProcessInfo.h"
#include "host/XkbKeyboardLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto names = host::parseKeyboardDefaults(text)) {
        // The names go to xkbcommon as C strings.
        for (const auto* name : {&names->rules, &names->model, &names->layout, &names->variant,
                                 &names->options}) {
            if (name->find('\0') != std::string::npos) std::abort();
        }
    }
    auto split = text.find('\n');
    auto kernel = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
    auto version = host::operatingSystemVersionText(text.substr(0, split), kernel);
    (void)version;
    return 0;
}
