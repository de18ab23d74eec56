#include "kit/Window.h"

#include "kit/Application.h"

namespace kit {

Window::~Window() {
    Application::forgetWindow(this);
}

void Window::makeFirstResponder(Responder* responder) { firstResponder_ = responder; }

}  // namespace kit
