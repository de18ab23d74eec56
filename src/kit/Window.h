#pragma once

// A window as far as the responder chain goes: it knows its focused control
// and comes after it in the chain.

#include "kit/Responder.h"

namespace kit {

class Window : public Responder {
public:
    ~Window() override;
    Responder* firstResponder() const { return firstResponder_; }
    // Focuses `responder` (nothing with null). The window itself is the next
    // responder of whatever it focuses.
    void makeFirstResponder(Responder* responder);

private:
    Responder* firstResponder_ = nullptr;
};

}  // namespace kit
