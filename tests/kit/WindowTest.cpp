#include <gtest/gtest.h>

#include "FixedView.h"
#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Control.h"
#include "kit/Window.h"

namespace {

using kit::Event;
using kit::Point;
using kit::Rect;
using kit::View;
using Type = kit::Event::Type;

constexpr std::uint64_t command = platform::ModifierFlags::command;

// A view that records what reaches it and can be told to take focus or keys.
struct Probe : View {
    explicit Probe(Rect frame, bool focusable = false) : View(frame), focusable(focusable) {}
    bool acceptsFirstResponder() const override { return focusable; }
    bool becomeFirstResponder() override { return log("become"), true; }
    bool resignFirstResponder() override { return log("resign"), letGo; }
    void mouseDown(const Event&) override { log("down"); }
    void mouseUp(const Event&) override { log("up"); }
    void keyDown(const Event& event) override { log("key " + event.characters); }
    bool performKeyEquivalent(const Event& event) override {
        if (event.characters != takes) return View::performKeyEquivalent(event);
        log("equivalent " + event.characters);
        return true;
    }
    void log(const std::string& what) { seen.push_back(what); }

    bool focusable;
    bool letGo = true;
    std::string takes;
    std::vector<std::string> seen;
};

struct Delegate : kit::WindowDelegate {
    void windowDidBecomeKey(kit::Window&) override { seen.push_back("became key"); }
    void windowDidResignKey(kit::Window&) override { seen.push_back("resigned key"); }
    bool windowShouldClose(kit::Window&) override { return seen.push_back("should close"), allowClose; }
    void windowWillClose(kit::Window&) override { seen.push_back("will close"); }
    bool allowClose = true;
    std::vector<std::string> seen;
};

class WindowTest : public fakes::PlatformTest {
protected:
    WindowTest() : window({200, 100}, kit::WindowStyle::titled | kit::WindowStyle::closable) {
        window.setDelegate(&delegate);
    }
    Probe& add(Rect frame, bool focusable = false) {
        return window.contentView()->addSubview(std::make_unique<Probe>(frame, focusable));
    }
    // A click at a point of the content, below the title bar.
    void click(Point point) {
        Point inWindow{point.x, point.y + kit::Window::titleBarHeight};
        window.sendEvent(Event::mouse(Type::leftMouseDown, inWindow));
        window.sendEvent(Event::mouse(Type::leftMouseUp, inWindow));
    }
    void type(const std::string& characters, std::uint64_t modifiers = 0) {
        window.sendEvent(Event::key(Type::keyDown, 0, characters, modifiers));
    }

    kit::Application app;
    kit::Window window;
    Delegate delegate;
};

TEST_F(WindowTest, FocusMovesOnlyToViewsThatTakeItAndOnlyFromViewsThatLetGo) {
    auto& plain = add({0, 0, 50, 50});
    auto& field = add({60, 0, 50, 50}, true);
    auto& other = add({120, 0, 50, 50}, true);
    EXPECT_FALSE(window.makeFirstResponder(&plain));
    EXPECT_TRUE(window.makeFirstResponder(&field));
    EXPECT_TRUE(field.isFirstResponder());

    field.letGo = false;
    EXPECT_FALSE(window.makeFirstResponder(&other));
    EXPECT_EQ(window.firstResponder(), &field);

    field.letGo = true;
    EXPECT_TRUE(window.makeFirstResponder(nullptr));
    EXPECT_EQ(field.seen, (std::vector<std::string>{"become", "resign", "resign"}));
    EXPECT_EQ(window.firstResponder(), nullptr);
}

TEST_F(WindowTest, AFocusedViewThatLeavesTheWindowGivesUpFocus) {
    auto& field = add({0, 0, 50, 50}, true);
    window.makeFirstResponder(&field);
    field.setHidden(true);
    EXPECT_EQ(window.firstResponder(), nullptr);

    auto& again = add({0, 0, 50, 50}, true);
    window.makeFirstResponder(&again);
    auto removed = again.removeFromSuperview();
    EXPECT_EQ(window.firstResponder(), nullptr);
    EXPECT_FALSE(window.makeFirstResponder(removed.get())) << "not in this window any more";
}

TEST_F(WindowTest, ClicksGoToTheDeepestViewAndTheReleaseFollowsThePress) {
    auto& outer = add({10, 10, 100, 60});
    auto& inner = outer.addSubview(std::make_unique<Probe>(Rect{20, 20, 30, 30}));
    click({35, 35});
    EXPECT_EQ(inner.seen, (std::vector<std::string>{"down", "up"}));
    EXPECT_TRUE(outer.seen.empty());

    Point start{15, 15 + kit::Window::titleBarHeight};
    window.sendEvent(Event::mouse(Type::leftMouseDown, start));
    window.sendEvent(Event::mouse(Type::leftMouseUp, {190, 90}));
    EXPECT_EQ(outer.seen, (std::vector<std::string>{"down", "up"})) << "released elsewhere";
}

TEST_F(WindowTest, KeyEquivalentsReachTheViewsBeforeTheMenuAndKeysTheFocusedView) {
    struct MenuTarget : kit::Responder {
        bool tryToPerform(const kit::Action& action, kit::Responder*) override {
            performed.push_back(action);
            return true;
        }
        std::vector<std::string> performed;
    } target;
    auto menu = std::make_unique<kit::Menu>();
    menu->addItem("Quit", "terminate:", "q").setTarget(&target);
    menu->addItem("Close", "performClose:", "w").setTarget(&target);
    app.setMainMenu(std::move(menu));

    auto& field = add({0, 0, 50, 50}, true);
    field.takes = "q";
    window.makeFirstResponder(&field);
    type("q", command);
    type("w", command);
    type("a");
    EXPECT_EQ(field.seen, (std::vector<std::string>{"become", "equivalent q", "key a"}));
    EXPECT_EQ(target.performed, std::vector<std::string>{"performClose:"});
}

TEST_F(WindowTest, TheCloseButtonAsksTheDelegateAndOnlyHides) {
    window.makeKeyAndOrderFront();
    delegate.allowClose = false;
    window.sendEvent(Event::mouse(Type::leftMouseDown, window.closeButtonFrame().origin));
    EXPECT_TRUE(window.isVisible());

    delegate.allowClose = true;
    Point middle{window.closeButtonFrame().midX(), window.closeButtonFrame().midY()};
    window.sendEvent(Event::mouse(Type::leftMouseDown, middle));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(delegate.seen, (std::vector<std::string>{"became key", "should close", "should close",
                                                       "will close", "resigned key"}));
    EXPECT_EQ(app.keyWindow(), nullptr);

    // Nothing closes a window without a close button.
    kit::Window panel({100, 50}, kit::WindowStyle::titled);
    panel.orderFront();
    panel.performClose();
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(WindowTest, OnlyOneWindowIsKey) {
    Delegate otherDelegate;
    kit::Window other({100, 50}, kit::WindowStyle::titled);
    other.setDelegate(&otherDelegate);
    window.makeKeyAndOrderFront();
    other.makeKeyAndOrderFront();
    EXPECT_TRUE(other.isKeyWindow());
    EXPECT_FALSE(window.isKeyWindow());
    EXPECT_EQ(delegate.seen, (std::vector<std::string>{"became key", "resigned key"}));
    other.orderOut();
    EXPECT_EQ(otherDelegate.seen, (std::vector<std::string>{"became key", "resigned key"}));
    EXPECT_TRUE(window.isKeyWindow()) << "the keyboard goes back where it was";
    EXPECT_FALSE(window.isOnScreen()) << "no display here";
    window.orderOut();
    EXPECT_EQ(app.keyWindow(), nullptr);
}

TEST_F(WindowTest, AModalRunAnswersItsResponseAndOtherWindowsWait) {
    auto& probe = add({0, 0, 50, 50});
    kit::Window alert({120, 60}, kit::WindowStyle::titled);
    fake.runLoop.post([&] {
        click({10, 10});
        EXPECT_EQ(app.modalWindow(), &alert);
        app.stopModal(1001);
    });
    EXPECT_EQ(app.runModal(alert), 1001);
    EXPECT_TRUE(probe.seen.empty()) << "the window behind took no click";
    EXPECT_TRUE(alert.isKeyWindow());
    EXPECT_EQ(app.modalWindow(), nullptr);
    click({10, 10});
    EXPECT_EQ(probe.seen.size(), 2u);
}

TEST_F(WindowTest, TheRenderingHoldsTheTitleBarAtTwiceTheSize) {
    window.setTitle("Tarnwick Settings");
    window.makeKeyAndOrderFront();
    auto bitmap = window.render(2);
    EXPECT_EQ(bitmap.width(), 400);
    EXPECT_EQ(bitmap.height(), 2 * (100 + 28));
    auto centre = [&](Rect frame) { return bitmap.pixel(int(frame.midX() * 2), int(frame.midY() * 2)); };
    auto red = [](std::uint32_t pixel) { return (pixel >> 16) & 0xFF; };
    auto green = [](std::uint32_t pixel) { return (pixel >> 8) & 0xFF; };
    // The darkest pixel of the title bar's middle, where the title stands.
    auto titleInk = [&] {
        std::uint32_t darkest = 255;
        for (int y = 8; y < 48; ++y) {
            for (int x = 100; x < 300; ++x) darkest = std::min(darkest, green(bitmap.pixel(x, y)));
        }
        return darkest;
    };
    EXPECT_GT(red(centre(window.closeButtonFrame())), 200u) << "the close button is live";
    EXPECT_LT(titleInk(), 60u);
    // Neither resizable nor minimisable: those two are grey.
    EXPECT_EQ(red(centre(window.zoomButtonFrame())), green(centre(window.zoomButtonFrame())));
    EXPECT_EQ(red(centre(window.miniaturizeButtonFrame())), green(centre(window.miniaturizeButtonFrame())));

    // Behind another window all three buttons and the title are grey.
    kit::Window other({100, 50}, kit::WindowStyle::titled);
    other.makeKeyAndOrderFront();
    bitmap = window.render(2);
    EXPECT_EQ(red(centre(window.closeButtonFrame())), green(centre(window.closeButtonFrame())));
    EXPECT_GT(titleInk(), 100u);
}

// A window that fits a view grows and shrinks with it, its top-left corner
// staying put, and lays the view out at its margins; a new content view ends it.
TEST_F(WindowTest, AWindowThatFitsAViewFollowsItsFittingSize) {
    auto& grown = window.contentView()->addSubview(
        std::make_unique<kittest::FixedView>(kit::Size{120, 40}, std::nullopt));
    window.setFrameOrigin({300, 200});
    window.sizeToFit(grown, {10, 20, 30, 40});
    EXPECT_EQ(window.contentSize(), (kit::Size{180, 80}));
    EXPECT_EQ(grown.frame(), (Rect{20, 10, 120, 40}));

    grown.size = {120, 90};
    window.render(1);
    EXPECT_EQ(window.contentSize(), (kit::Size{180, 130}));
    EXPECT_EQ(window.frame().origin, (Point{300, 200}));
    EXPECT_EQ(grown.frame().size, (kit::Size{120, 90}));
    grown.size = {100, 30};
    window.layoutIfNeeded();
    EXPECT_EQ(window.contentSize(), (kit::Size{160, 70}));

    window.setContentView(std::make_unique<View>());
    window.layoutIfNeeded();
    EXPECT_EQ(window.contentSize(), (kit::Size{160, 70}));
}

TEST_F(WindowTest, AControlWithoutATargetSendsAlongTheResponderChain) {
    struct Handler : kit::ApplicationDelegate {
        bool tryToPerform(const kit::Action& action, kit::Responder*) override { return action == "showSettings:"; }
    } handler;
    app.setDelegate(&handler);
    window.makeKeyAndOrderFront();
    auto& control = window.contentView()->addSubview(std::make_unique<kit::Control>(Rect{0, 0, 10, 10}));
    control.setAction("showSettings:");
    EXPECT_TRUE(control.sendAction());
    control.setAction("unknown:");
    EXPECT_FALSE(control.sendAction());
}

}  // namespace
