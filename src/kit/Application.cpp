#include "kit/Application.h"

#include <cassert>
#include <vector>

#include "kit/NotificationCenter.h"
#include "platform/Platform.h"

namespace kit {
namespace {
Application* sharedApplication = nullptr;
}

Application::Application() {
    assert(!sharedApplication && "one application per process");
    sharedApplication = this;
}

Application::~Application() { sharedApplication = nullptr; }

Application& Application::shared() {
    assert(sharedApplication);
    return *sharedApplication;
}

Application* Application::existing() { return sharedApplication; }

void Application::setKeyWindow(Window* window) {
    if (window == keyWindow_) return;
    if (window) {
        std::erase(keyHistory_, window);
        keyHistory_.push_back(window);
    }
    Window* previous = keyWindow_;
    keyWindow_ = window;
    if (previous) previous->resignKeyWindow();
    if (window) window->becomeKeyWindow();
}

int Application::runModal(Window& window) {
    Window* outer = modalWindow_;
    modalWindow_ = &window;
    modalResponse_ = modalResponseAbort;
    window.center();
    window.makeKeyAndOrderFront();
    platform::current().runLoop.run();
    modalWindow_ = outer;
    return modalResponse_;
}

void Application::stopModal(int response) {
    modalResponse_ = response;
    platform::current().runLoop.stop();
}

bool Application::isActive() const { return platform::current().activation.isActive(); }

void Application::activate(bool ignoringOtherApps) { platform::current().activation.activate(ignoringOtherApps); }

void Application::activateIgnoringOtherApps() {
    if (platform::current().processInfo.operatingSystemMajorVersion() >= 14) activate(false);
    activate(true);
}

void Application::forgetWindow(Window* window) {
    if (!sharedApplication) return;
    std::erase(sharedApplication->keyHistory_, window);
    if (sharedApplication->keyWindow_ == window) sharedApplication->keyWindow_ = nullptr;
}

void Application::windowDidOrderOut(Window* window) {
    std::erase(keyHistory_, window);
    if (keyWindow_ != window) return;
    // The keyboard goes back to the window that had it before, as on the desktop.
    for (auto it = keyHistory_.rbegin(); it != keyHistory_.rend(); ++it) {
        if ((*it)->isVisible()) return setKeyWindow(*it);
    }
    setKeyWindow(nullptr);
}

void Application::setActivationPolicy(platform::ActivationPolicy policy) {
    platform::current().activation.setPolicy(policy);
}

void Application::setApplicationIconImage(const Image& image) {
    if (image.size().width <= 0) return;
    std::vector<platform::PixelImage> sizes;
    for (int side : {16, 24, 32, 48, 64, 128}) {
        sizes.push_back(image.render(side / image.size().width).image());
    }
    platform::current().windowServer.setApplicationIcon(sizes);
}

void Application::run() {
    auto& runLoop = platform::current().runLoop;
    runLoop.setTerminationRequestHandler([this] { terminate(nullptr); });
    // Launching finishes before anything queued earlier runs, as it does on
    // the desktop: the delegate sees the first turn of the loop.
    if (delegate_) delegate_->applicationDidFinishLaunching();
    if (terminating_) return;
    runLoop.run();
}

void Application::terminate(Responder*) {
    if (terminating_) return;
    terminating_ = true;
    NotificationCenter::defaultCenter().post(willTerminateNotification);
    // A request may arrive during a modal run; the whole program ends.
    platform::current().runLoop.stopAll();
}

void Application::reopen() {
    if (delegate_) delegate_->applicationShouldHandleReopen(false);
}

bool Application::sendAction(const Action& action, Responder* target, Responder* sender) {
    if (target) return target->tryToPerform(action, sender);
    std::vector<Responder*> chain;
    if (keyWindow_) {
        // A focused view passes on to the views around it; other responders
        // name their next one.
        auto* first = keyWindow_->firstResponder();
        if (auto* view = dynamic_cast<View*>(first)) {
            for (; view; view = view->superview()) chain.push_back(view);
        } else {
            for (auto* responder = first; responder; responder = responder->nextResponder()) {
                if (responder != keyWindow_) chain.push_back(responder);
            }
        }
        chain.push_back(keyWindow_);
    }
    chain.push_back(this);
    if (delegate_) chain.push_back(delegate_);
    for (auto* responder : chain) {
        if (responder->tryToPerform(action, sender)) return true;
    }
    return false;
}

bool Application::performKeyEquivalent(const std::string& characters, std::uint64_t modifiers) {
    if (!mainMenu_) return false;
    auto* item = mainMenu_->itemForKeyEquivalent(characters, modifiers);
    if (!item || item->action().empty()) return false;
    return sendAction(item->action(), item->target(), nullptr);
}

bool Application::tryToPerform(const Action& action, Responder* sender) {
    if (action != "terminate:") return false;
    terminate(sender);
    return true;
}

}  // namespace kit
