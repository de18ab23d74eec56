#include "kit/Window.h"

#include "kit/Application.h"

namespace kit {

Window::~Window() {
    if (Application::shared().keyWindow() == this) Application::shared().setKeyWindow(nullptr);
}

void Window::makeFirstResponder(Responder* responder) { firstResponder_ = responder; }

}  // namespace kit
