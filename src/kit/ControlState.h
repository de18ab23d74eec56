#pragma once

namespace kit {

// A checkbox's or menu item's mark: on, off, or mixed (some of both).
enum class ControlState { off, on, mixed };

}  // namespace kit
