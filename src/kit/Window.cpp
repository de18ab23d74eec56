#include "kit/Window.h"

#include "kit/Application.h"
#include "kit/Color.h"
#include "kit/GraphicsContext.h"
#include "kit/TextLayout.h"
#include "platform/Platform.h"

namespace kit {

namespace {

namespace WindowEvents = platform::WindowEvents;

constexpr double titleButtonDiameter = 12;
constexpr double titleButtonSpacing = 8;
constexpr double titleButtonInset = 12;

// A screen for windows when the desktop has none to tell us about.
constexpr platform::ScreenFrame fallbackScreen{0, 0, 1440, 900};

platform::WindowServer& windowServer() { return platform::current().windowServer; }



bool hasCommandOrControl(const Event& event) {
    return event.modifierFlags & (platform::ModifierFlags::command | platform::ModifierFlags::control);
}

}  // namespace

Window::Window(Size contentSize, unsigned styleMask, platform::NativeWindowKind kind)
    : styleMask_(styleMask), kind_(kind), contentSize_(contentSize) {
    setContentView(std::make_unique<View>());
}

Window::~Window() {
    // Silently: the delegate may already be gone.
    Application::forgetWindow(this);
    if (native_) windowServer().destroyWindow(*native_);
}

void Window::setTitle(std::string title) {
    title_ = std::move(title);
    if (native_) windowServer().setTitle(*native_, title_);
    setViewsNeedDisplay();
}

void Window::setContentView(std::unique_ptr<View> view) {
    if (contentView_) {
        if (firstResponderView() && firstResponderView()->isDescendantOf(*contentView_)) makeFirstResponder(nullptr);
        contentView_->setWindow(nullptr);
    }
    contentView_ = std::move(view);
    fitted_ = nullptr;
    contentView_->setWindow(this);
    contentView_->setFrame({0, contentTop(), contentSize_.width, contentSize_.height});
    setViewsNeedDisplay();
}

void Window::setContentSize(Size size) {
    contentSize_ = size;
    contentView_->setFrame({0, contentTop(), size.width, size.height});
    if (native_) windowServer().setFrame(*native_, {origin_.x, origin_.y, frame().width(), frame().height()});
    setViewsNeedDisplay();
}

double Window::contentTop() const { return (styleMask_ & WindowStyle::titled) ? titleBarHeight : 0; }

void Window::setFrameOrigin(Point origin) {
    origin_ = origin;
    if (native_) windowServer().setFrame(*native_, {origin_.x, origin_.y, frame().width(), frame().height()});
}

// A little above the middle, where the eye expects a new window.
void Window::center() {
    auto screen = windowServer().mainScreenFrame().value_or(fallbackScreen);
    Size size = frame().size;
    setFrameOrigin({screen.x + (screen.width - size.width) / 2, screen.y + (screen.height - size.height) / 3});
}

bool Window::isOnScreen() const { return visible_ && native_.has_value(); }

bool Window::isKeyWindow() const {
    auto* application = Application::existing();
    return application && application->keyWindow() == this;
}

void Window::orderFront() {
    visible_ = true;
    layoutIfNeeded();
    ensureNativeWindow();
    if (native_) {
        windowServer().show(*native_, false);
        present();
    }
}

void Window::makeKeyAndOrderFront() {
    orderFront();
    if (native_) windowServer().show(*native_, true);
    if (auto* application = Application::existing()) application->setKeyWindow(this);
}

void Window::orderOut() {
    if (!visible_) return;
    visible_ = false;
    if (native_) windowServer().hide(*native_);
    if (auto* application = Application::existing()) application->windowDidOrderOut(this);
}

void Window::close() {
    if (delegate_) delegate_->windowWillClose(*this);
    orderOut();
}

void Window::performClose() {
    if (!(styleMask_ & WindowStyle::closable)) return;
    if (delegate_ && !delegate_->windowShouldClose(*this)) return;
    close();
}

bool Window::makeFirstResponder(Responder* responder) {
    if (responder == firstResponder_) return true;
    auto* view = dynamic_cast<View*>(responder);
    if (view && (!view->acceptsFirstResponder() || view->window() != this)) return false;
    if (auto* current = firstResponderView(); current && !current->resignFirstResponder()) return false;
    firstResponder_ = nullptr;
    if (view && !view->becomeFirstResponder()) return false;
    firstResponder_ = responder;
    setViewsNeedDisplay();
    return true;
}

void Window::becomeKeyWindow() {
    if (delegate_) delegate_->windowDidBecomeKey(*this);
    setViewsNeedDisplay();
}

void Window::resignKeyWindow() {
    if (delegate_) delegate_->windowDidResignKey(*this);
    setViewsNeedDisplay();
}

View* Window::firstResponderView() const { return dynamic_cast<View*>(firstResponder_); }

void Window::viewWillLeave(const View& view) {
    if (mouseView_ && mouseView_->isDescendantOf(view)) mouseView_ = nullptr;
    auto* focused = firstResponderView();
    if (!focused || !focused->isDescendantOf(view)) return;
    // It goes whether it wants to or not.
    focused->resignFirstResponder();
    firstResponder_ = nullptr;
}

void Window::sendEvent(const Event& event) {
    auto* application = Application::existing();
    // While a modal window runs, the others take nothing; menus, which open
    // above it, still do.
    bool isMenu = kind_ == platform::NativeWindowKind::popUpMenu;
    if (application && application->modalWindow() && application->modalWindow() != this && !isMenu) return;
    switch (event.type) {
    case Event::Type::leftMouseDown:
    case Event::Type::rightMouseDown:
        if (event.locationInWindow.y < contentTop()) return mouseDownInTitleBar(event);
        return routeMouse(event);
    case Event::Type::mouseDragged:
    case Event::Type::leftMouseUp:
        return routeMouse(event);
    case Event::Type::keyDown:
        return routeKeyDown(event);
    case Event::Type::keyUp:
        if (auto* view = firstResponderView()) view->keyUp(event);
        return;
    case Event::Type::flagsChanged:
        if (auto* view = firstResponderView()) view->flagsChanged(event);
        return;
    }
}

void Window::mouseDownInTitleBar(const Event& event) {
    if (event.type != Event::Type::leftMouseDown) return;
    if (closeButtonFrame().contains(event.locationInWindow)) return performClose();
    if (native_) {
        windowServer().beginMove(*native_, origin_.x + event.locationInWindow.x,
                                 origin_.y + event.locationInWindow.y);
    }
}

void Window::routeMouse(const Event& event) {
    if (event.type == Event::Type::leftMouseDown || event.type == Event::Type::rightMouseDown) {
        mouseView_ = contentView_->hitTest(event.locationInWindow);
        if (!mouseView_) return;
        if (event.type == Event::Type::rightMouseDown) return mouseView_->rightMouseDown(event);
        return mouseView_->mouseDown(event);
    }
    if (!mouseView_) return;
    if (event.type == Event::Type::mouseDragged) return mouseView_->mouseDragged(event);
    View* view = mouseView_;
    mouseView_ = nullptr;
    view->mouseUp(event);
}

// Key equivalents go to the window's views first, then the main menu; what
// nobody takes is a key press for the focused view.
void Window::routeKeyDown(const Event& event) {
    if (hasCommandOrControl(event)) {
        if (contentView_->performKeyEquivalent(event)) return;
        auto* application = Application::existing();
        if (application &&
            application->performKeyEquivalent(event.charactersIgnoringModifiers, event.deviceIndependentModifiers())) {
            return;
        }
    }
    if (auto* view = firstResponderView()) view->keyDown(event);
}

bool Window::tryToPerform(const Action& action, Responder* sender) {
    if (action != "performClose:") return Responder::tryToPerform(action, sender);
    performClose();
    return true;
}

void Window::sizeToFit(View& view, EdgeInsets margins) {
    fitted_ = &view;
    fittedMargins_ = margins;
    layoutIfNeeded();
}

void Window::layoutIfNeeded() {
    if (fitted_) {
        Size size = fitted_->fittingSize();
        Size wanted{size.width + fittedMargins_.left + fittedMargins_.right,
                    size.height + fittedMargins_.top + fittedMargins_.bottom};
        if (wanted.width != contentSize_.width || wanted.height != contentSize_.height) {
            setContentSize(wanted);
        }
        fitted_->setFrame({fittedMargins_.left, fittedMargins_.top, size.width, size.height});
    }
    contentView_->layoutSubtreeIfNeeded();
}

Bitmap Window::render(double scale) {
    layoutIfNeeded();
    Rect whole = frame();
    Bitmap bitmap(static_cast<int>(whole.width() * scale + 0.5), static_cast<int>(whole.height() * scale + 0.5));
    GraphicsContext context(bitmap, scale);
    context.fillRect({0, 0, whole.width(), whole.height()}, Color::windowBackgroundColor());
    if (styleMask_ & WindowStyle::titled) drawTitleBar(context);
    contentView_->display(context);
    auto* focused = firstResponderView();
    auto ring = focused ? focused->focusRingMaskBounds() : std::nullopt;
    if (ring && isKeyWindow() && !focused->isHiddenOrHasHiddenAncestor()) {
        Point origin = focused->convertToWindow(ring->origin);
        Rect outline = Rect{origin, ring->size}.insetBy(-1.5, -1.5);
        context.strokeRoundedRect(outline, focused->focusRingCornerRadius() + 1.5,
                                  Color::controlAccentColor().withAlpha(0.5), 3);
    }
    return bitmap;
}

Rect Window::closeButtonFrame() const {
    double top = (titleBarHeight - titleButtonDiameter) / 2;
    return {titleButtonInset, top, titleButtonDiameter, titleButtonDiameter};
}

Rect Window::miniaturizeButtonFrame() const {
    return closeButtonFrame().offsetBy(titleButtonDiameter + titleButtonSpacing, 0);
}

Rect Window::zoomButtonFrame() const {
    return miniaturizeButtonFrame().offsetBy(titleButtonDiameter + titleButtonSpacing, 0);
}

void Window::drawTitleBar(GraphicsContext& context) const {
    double width = frame().width();
    context.fillRect({0, 0, width, titleBarHeight}, Color::titleBarColor());
    context.fillRect({0, titleBarHeight - 1, width, 1}, Color::separatorColor());

    // A window in the background greys its buttons and title.
    const bool active = isKeyWindow();
    const Color disabled = Color::rgb(208, 208, 208);
    struct Button {
        Rect frame;
        bool enabled;
        Color color;
    };
    for (const Button& button : {Button{closeButtonFrame(), (styleMask_ & WindowStyle::closable) != 0,
                                        Color::rgb(255, 95, 87)},
                                 Button{miniaturizeButtonFrame(), (styleMask_ & WindowStyle::miniaturizable) != 0,
                                        Color::rgb(254, 188, 46)},
                                 Button{zoomButtonFrame(), (styleMask_ & WindowStyle::resizable) != 0,
                                        Color::rgb(40, 200, 64)}}) {
        context.fillEllipse(button.frame, active && button.enabled ? button.color : disabled);
        context.strokeEllipse(button.frame.insetBy(0.25, 0.25), Color::black().withAlpha(0.12), 0.5);
    }

    TextLayout layout(title_, Font::boldSystemFont());
    double reserved = zoomButtonFrame().maxX() + titleButtonSpacing;
    layout.setTruncationWidth(std::max(0.0, width - 2 * reserved));
    Size size = layout.size();
    context.drawText(layout, {(width - size.width) / 2, (titleBarHeight - size.height) / 2},
                     active ? Color::labelColor() : Color::disabledControlTextColor());
}

void Window::setViewsNeedDisplay() {
    if (!native_ || !visible_ || displayPending_) return;
    displayPending_ = true;
    std::weak_ptr<Window*> alive = alive_;
    platform::current().runLoop.post([alive] {
        auto window = alive.lock();
        if (!window) return;
        (*window)->displayPending_ = false;
        (*window)->present();
    });
}

void Window::ensureNativeWindow() {
    if (native_ || !windowServer().isAvailable()) return;
    std::weak_ptr<Window*> alive = alive_;
    Rect whole = frame();
    native_ = windowServer().createWindow(kind_, title_, {origin_.x, origin_.y, whole.width(), whole.height()},
                                          [alive](const platform::WindowEvent& event) {
                                              if (auto window = alive.lock()) (*window)->handleNativeEvent(event);
                                          });
}

// This host shows one pixel per point.
void Window::present() {
    if (!native_ || !visible_) return;
    windowServer().present(*native_, render(1).image(), 1);
}

void Window::handleNativeEvent(const platform::WindowEvent& native) {
    auto* application = Application::existing();
    if (auto* down = std::get_if<WindowEvents::MouseDown>(&native)) {
        auto type = down->button == 3 ? Event::Type::rightMouseDown : Event::Type::leftMouseDown;
        if (down->button == 1 && (down->modifiers & platform::ModifierFlags::control)) type = Event::Type::rightMouseDown;
        if (down->button == 1 || down->button == 3) sendEvent(Event::mouse(type, {down->x, down->y}, down->modifiers, down->clickCount));
        return;
    }
    if (auto* up = std::get_if<WindowEvents::MouseUp>(&native)) {
        if (up->button == 1) sendEvent(Event::mouse(Event::Type::leftMouseUp, {up->x, up->y}, up->modifiers));
        return;
    }
    if (auto* moved = std::get_if<WindowEvents::MouseMoved>(&native)) {
        if (moved->buttonDown) return sendEvent(Event::mouse(Event::Type::mouseDragged, {moved->x, moved->y}, moved->modifiers));
        return pointerMoved({moved->x, moved->y});
    }
    if (std::holds_alternative<WindowEvents::ClickedOutside>(native)) return clickedOutside();
    if (auto* key = std::get_if<WindowEvents::KeyDown>(&native)) {
        Event event = Event::key(Event::Type::keyDown, key->keyCode, key->characters, key->modifiers);
        event.charactersIgnoringModifiers = key->charactersIgnoringModifiers;
        event.isRepeat = key->isRepeat;
        return sendEvent(event);
    }
    if (auto* key = std::get_if<WindowEvents::KeyUp>(&native)) {
        return sendEvent(Event::key(Event::Type::keyUp, key->keyCode, "", key->modifiers));
    }
    if (auto* flags = std::get_if<WindowEvents::FlagsChanged>(&native)) {
        return sendEvent(Event::key(Event::Type::flagsChanged, flags->keyCode, "", flags->modifiers));
    }
    if (std::holds_alternative<WindowEvents::FocusIn>(native)) {
        if (application && visible_) application->setKeyWindow(this);
        return;
    }
    if (std::holds_alternative<WindowEvents::FocusOut>(native)) {
        if (application && isKeyWindow()) application->setKeyWindow(nullptr);
        return;
    }
    if (std::holds_alternative<WindowEvents::CloseRequested>(native)) return performClose();
    // Only remembered: the window is already there.
    if (auto* moved = std::get_if<WindowEvents::Moved>(&native)) origin_ = {moved->x, moved->y};
}

}  // namespace kit
