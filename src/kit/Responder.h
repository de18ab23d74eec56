#pragma once

// An object in the responder chain. Menu actions without a target travel the
// chain from the key window's focused control to the application delegate,
// stopping at the first responder that handles them.

#include <string>

namespace kit {

// Action names in the desktop's selector spelling, e.g. "terminate:".
using Action = std::string;

class Responder {
public:
    virtual ~Responder() = default;
    // Performs the action and answers true, or answers false to pass it on.
    virtual bool tryToPerform(const Action& action, Responder* sender);
    Responder* nextResponder() const { return next_; }
    void setNextResponder(Responder* next) { next_ = next; }

private:
    Responder* next_ = nullptr;
};

}  // namespace kit
