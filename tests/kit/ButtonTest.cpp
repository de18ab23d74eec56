#include <gtest/gtest.h>

#include <vector>

#include "fakes/FakePlatform.h"
#include "kit/Button.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace {

using kit::Button;
using kit::ControlState;
using kit::Point;
using kit::Rect;

struct Rgb {
    int red, green, blue;
    int grey() const { return (red + green + blue) / 3; }
    bool isAccent() const { return blue > 200 && red < 80; }
};

// Window pictures are opaque, so the premultiplied channels are the colour.
Rgb colourAt(const kit::Bitmap& bitmap, Point point) {
    auto pixel = bitmap.pixel(int(point.x * 2), int(point.y * 2));
    return {int(pixel >> 16 & 0xff), int(pixel >> 8 & 0xff), int(pixel & 0xff)};
}

// The dark text ink inside `rect` (window points): its darkest grey, the
// bottom edge of its lowest row and how many pixels are link blue.
struct Ink {
    int darkest = 255;
    double bottom = 0;
    int blue = 0;
};

Ink inkIn(const kit::Bitmap& bitmap, Rect rect) {
    Ink ink;
    for (int y = int(rect.minY() * 2); y < int(rect.maxY() * 2); ++y) {
        for (int x = int(rect.minX() * 2); x < int(rect.maxX() * 2); ++x) {
            Rgb colour = colourAt(bitmap, {x / 2.0, y / 2.0});
            ink.darkest = std::min(ink.darkest, colour.grey());
            if (colour.grey() < 128) ink.bottom = std::max(ink.bottom, (y + 1) / 2.0);
            ink.blue += colour.blue > 150 && colour.blue - colour.red > 80;
        }
    }
    return ink;
}

// Notes each action with the sender's state as it arrived.
struct ActionRecorder : kit::Responder {
    bool tryToPerform(const kit::Action&, kit::Responder* sender) override {
        statesSeen.push_back(dynamic_cast<Button&>(*sender).state());
        return true;
    }
    std::vector<ControlState> statesSeen;
};

class ButtonTest : public fakes::PlatformTest {
protected:
    static constexpr auto down = kit::Event::Type::leftMouseDown;
    static constexpr auto dragged = kit::Event::Type::mouseDragged;
    static constexpr auto up = kit::Event::Type::leftMouseUp;

    kit::Window window{{400, 200}, kit::WindowStyle::titled};
    ActionRecorder target;

    Button& add(const std::string& title, Button::Type type, Point origin = {20, 20}) {
        auto& button = window.contentView()->addSubview(std::make_unique<Button>(title, type));
        button.setFrame({origin, button.fittingSize()});
        button.setTarget(&target);
        button.setAction("toggle:");
        return button;
    }
    void mouse(kit::Event::Type type, const kit::View& view, Point local) {
        window.sendEvent(kit::Event::mouse(type, view.convertToWindow(local)));
    }
    void click(const kit::View& view, Point local = {10, 8}) {
        mouse(down, view, local);
        mouse(up, view, local);
    }
};

TEST_F(ButtonTest, APushButtonActsWhenReleasedOverItAndLooksPressedMeanwhile) {
    auto& button = add("Save", Button::Type::push);
    Point faceCorner = button.convertToWindow({4, 4});
    EXPECT_EQ(colourAt(window.render(2), faceCorner).grey(), 255);

    mouse(down, button, {30, 10});
    EXPECT_TRUE(button.isHighlighted());
    EXPECT_LT(colourAt(window.render(2), faceCorner).grey(), 240);
    mouse(dragged, button, {-30, 5});
    EXPECT_FALSE(button.isHighlighted());
    mouse(dragged, button, {10, 5});
    EXPECT_TRUE(button.isHighlighted());
    EXPECT_TRUE(target.statesSeen.empty());
    mouse(up, button, {10, 5});
    EXPECT_FALSE(button.isHighlighted());
    EXPECT_EQ(target.statesSeen.size(), 1u);

    // Changing one's mind: off the button before letting go.
    mouse(down, button, {30, 10});
    mouse(up, button, {button.bounds().maxX() + 5, 10});
    EXPECT_FALSE(button.isHighlighted());
    EXPECT_EQ(target.statesSeen, std::vector{ControlState::off});
}

TEST_F(ButtonTest, ADisabledButtonIgnoresClicksAndGreysItsTitle) {
    auto& push = add("Save", Button::Type::push, {20, 20});
    auto& checkbox = add("Hide", Button::Type::checkbox, {20, 60});
    Rect title = push.frameInWindow().insetBy(12, 4);
    EXPECT_LT(inkIn(window.render(2), title).darkest, 80);

    push.setEnabled(false);
    checkbox.setEnabled(false);
    click(push);
    click(checkbox);
    EXPECT_FALSE(push.isHighlighted());
    EXPECT_EQ(checkbox.state(), ControlState::off);
    EXPECT_EQ(push.titleColor(), kit::Color::disabledControlTextColor());
    EXPECT_GT(inkIn(window.render(2), title).darkest, 150);

    // Disabled between press and release: the release does nothing either.
    checkbox.setEnabled(true);
    mouse(down, checkbox, {5, 5});
    checkbox.setEnabled(false);
    mouse(up, checkbox, {5, 5});
    EXPECT_EQ(checkbox.state(), ControlState::off);
    EXPECT_TRUE(target.statesSeen.empty());
}

TEST_F(ButtonTest, ClicksTurnACheckboxOnAndOffAndOnlyCodeMakesItMixed) {
    auto& checkbox = add("Hide the menu bar", Button::Type::checkbox);
    Point box{checkbox.checkboxRect().midX(), checkbox.checkboxRect().midY()};
    Point title{checkbox.bounds().maxX() - 5, checkbox.bounds().midY()};
    click(checkbox, box);
    click(checkbox, title);  // the title belongs to the checkbox
    EXPECT_EQ(target.statesSeen, (std::vector{ControlState::on, ControlState::off}));

    checkbox.setState(ControlState::mixed);
    EXPECT_EQ(checkbox.state(), ControlState::on) << "mixed needs allowsMixedState";
    checkbox.setAllowsMixedState(true);
    checkbox.setState(ControlState::mixed);
    target.statesSeen.clear();
    for (int i = 0; i < 3; ++i) click(checkbox, box);
    EXPECT_EQ(target.statesSeen,
              (std::vector{ControlState::on, ControlState::off, ControlState::on}));
}

TEST_F(ButtonTest, ACheckboxShowsACheckWhenOnAndADashWhenMixed) {
    auto& checkbox = add("Hide", Button::Type::checkbox);
    checkbox.setAllowsMixedState(true);
    Rect box = checkbox.checkboxRect();
    Point centre = checkbox.convertToWindow({box.midX(), box.midY()});
    Point top = checkbox.convertToWindow({box.midX(), box.minY() + 3});
    Point onTheCheck = checkbox.convertToWindow({box.minX() + 6, box.minY() + 9.5});

    auto off = window.render(2);
    EXPECT_EQ(colourAt(off, top).grey(), 255);
    EXPECT_EQ(colourAt(off, centre).grey(), 255);
    checkbox.setState(ControlState::on);
    auto on = window.render(2);
    EXPECT_TRUE(colourAt(on, top).isAccent());
    EXPECT_GT(colourAt(on, onTheCheck).grey(), 240);
    checkbox.setState(ControlState::mixed);
    auto mixed = window.render(2);
    EXPECT_TRUE(colourAt(mixed, top).isAccent());
    EXPECT_GT(colourAt(mixed, centre).grey(), 240);
    EXPECT_TRUE(colourAt(mixed, onTheCheck).isAccent());
}

TEST_F(ButtonTest, ALinkIsTintedTextWithoutAFace) {
    auto& link = add("tarnwick.app", Button::Type::link);
    EXPECT_EQ(link.titleColor(), kit::Color::linkColor()) << "a link looks like one untinted";
    link.setContentTintColor(kit::Color::systemRedColor());
    EXPECT_EQ(link.titleColor(), kit::Color::systemRedColor());
    link.setContentTintColor(kit::Color::linkColor());

    auto drawn = window.render(2);
    EXPECT_GT(inkIn(drawn, link.frameInWindow()).blue, 50);
    EXPECT_EQ(colourAt(drawn, link.convertToWindow({1, 1})).grey(), 236)
        << "the window shows through";
    link.setEnabled(false);
    EXPECT_EQ(inkIn(window.render(2), link.frameInWindow()).blue, 0);
    link.setEnabled(true);
    click(link);
    EXPECT_EQ(target.statesSeen, std::vector{ControlState::off});
}

TEST_F(ButtonTest, SizesFollowTheTitleAndTheControlSize) {
    auto& ok = add("OK", Button::Type::push);
    auto& longer = add("Choose Another Application…", Button::Type::push);
    double longTitle = kit::Label(longer.title()).intrinsicContentSize().width;
    EXPECT_EQ(ok.intrinsicContentSize(), (kit::Size{70, 22}));
    EXPECT_EQ(longer.intrinsicContentSize().width, longTitle + 24);
    longer.setControlSize(kit::ControlSize::small);
    EXPECT_EQ(longer.intrinsicContentSize().height, 19);
    EXPECT_LT(longer.intrinsicContentSize().width, longTitle + 24);

    kit::Size title = kit::Label("Hide").intrinsicContentSize();
    EXPECT_EQ(add("Hide", Button::Type::checkbox).intrinsicContentSize(),
              (kit::Size{title.width + 14 + 6, title.height}));
    EXPECT_EQ(add("", Button::Type::checkbox).intrinsicContentSize(), (kit::Size{14, 14}));
    EXPECT_EQ(add("Hide", Button::Type::link).intrinsicContentSize(), title);
}

// Grids line rows up by these baselines, so they must be where the text is.
TEST_F(ButtonTest, TheBaselineIsWhereTheTitleSits) {
    auto& push = add("HELLO", Button::Type::push, {20, 20});
    auto& checkbox = add("HELLO", Button::Type::checkbox, {20, 60});
    auto& small = add("HELLO", Button::Type::push, {20, 100});
    small.setControlSize(kit::ControlSize::small);
    small.setFrameSize(small.fittingSize());
    auto& tall = add("HELLO", Button::Type::push, {120, 20});
    tall.setFrameSize({80, 40});  // the face keeps its height, in the middle
    auto drawn = window.render(2);
    EXPECT_EQ(colourAt(drawn, tall.convertToWindow({40, 4})).grey(), 236);
    EXPECT_EQ(colourAt(drawn, tall.convertToWindow({40, 12})).grey(), 255);

    for (Button* button : {&push, &checkbox, &small, &tall}) {
        Rect frame = button->frameInWindow();
        Rect title{frame.minX() + 20, frame.minY(), frame.width() - 24, frame.height() - 2};
        double baseline = frame.minY() + *button->firstBaselineOffsetFromTop();
        EXPECT_NEAR(inkIn(drawn, title).bottom, baseline, 0.6) << button->frame().minY();
    }
    EXPECT_EQ(*checkbox.firstBaselineOffsetFromTop(),
              *kit::Label("HELLO").firstBaselineOffsetFromTop());
    EXPECT_LT(*small.firstBaselineOffsetFromTop(), *push.firstBaselineOffsetFromTop());
}

}  // namespace
