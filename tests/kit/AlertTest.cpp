#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakePlatform.h"
#include "kit/Alert.h"
#include "kit/Application.h"
#include "kit/Button.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace {

using kit::Event;
using kit::Point;

constexpr std::uint16_t returnKey = 36, escapeKey = 53;

// Inside a view, as the pointer would press and release it.
void click(kit::View& view) {
    kit::Rect frame = view.frameInWindow();
    Point middle{frame.midX(), frame.midY()};
    view.window()->sendEvent(Event::mouse(Event::Type::leftMouseDown, middle));
    view.window()->sendEvent(Event::mouse(Event::Type::leftMouseUp, middle));
}

void press(kit::Window& window, std::uint16_t keyCode) {
    window.sendEvent(Event::key(Event::Type::keyDown, keyCode, ""));
}

kit::View* find(kit::Window& window, const std::function<bool(const kit::View&)>& test) {
    return window.contentView()->findView(test);
}

kit::Button& buttonTitled(kit::Window& window, const std::string& title) {
    auto* found = find(window, [&](const kit::View& view) {
        auto* button = dynamic_cast<const kit::Button*>(&view);
        return button && button->title() == title;
    });
    EXPECT_TRUE(found) << title;
    return dynamic_cast<kit::Button&>(*found);
}

const kit::Label* labelShowing(kit::Window& window, const std::string& text) {
    return dynamic_cast<const kit::Label*>(find(window, [&](const kit::View& view) {
        auto* label = dynamic_cast<const kit::Label*>(&view);
        return label && label->text() == text && !label->isHiddenOrHasHiddenAncestor();
    }));
}

bool isAccent(std::uint32_t pixel) {
    return (pixel & 0xff) > 200 && (pixel >> 16 & 0xff) < 80;
}

class AlertTest : public fakes::PlatformTest {
protected:
    // Runs the alert with `during` acting on it while it is up.
    int run(std::function<void()> during) {
        fake.runLoop.post(std::move(during));
        return alert.runModal();
    }

    kit::Application app;
    kit::Alert alert;
};

TEST_F(AlertTest, ItShowsItsTextsAndAnswersWithTheClickedButton) {
    alert.setMessageText("Save the rules before closing?");
    alert.setInformativeText("Your changes are lost if you don't save them.");
    alert.addButton("Save");
    alert.addButton("Cancel");
    alert.addButton("Don't Save");
    kit::Window& window = alert.window();

    int response = run([&] {
        EXPECT_EQ(app.modalWindow(), &window);
        EXPECT_TRUE(window.isKeyWindow());
        EXPECT_TRUE(labelShowing(window, "Save the rules before closing?"));
        EXPECT_TRUE(labelShowing(window, "Your changes are lost if you don't save them."));
        click(buttonTitled(window, "Don't Save"));
    });
    EXPECT_EQ(response, 1002);
    EXPECT_FALSE(window.isVisible()) << "a click closes the alert";

    EXPECT_EQ(run([&] { click(buttonTitled(window, "Save")); }), kit::Alert::firstButtonReturn);
    EXPECT_EQ(run([&] { click(buttonTitled(window, "Cancel")); }), 1001);
}

TEST_F(AlertTest, ReturnPicksTheAccentColouredDefaultAndEscapePicksCancel) {
    auto& remove = alert.addButton("Remove");
    auto& cancel = alert.addButton("Cancel");
    alert.layout();
    auto picture = alert.window().render(2);
    auto faceLeft = [&](kit::View& button) {
        kit::Rect frame = button.frameInWindow();
        return picture.pixel(int((frame.minX() + 6) * 2), int(frame.midY() * 2));
    };
    EXPECT_TRUE(isAccent(faceLeft(remove)));
    EXPECT_FALSE(isAccent(faceLeft(cancel)));

    EXPECT_EQ(run([&] { press(alert.window(), returnKey); }), 1000);
    EXPECT_EQ(run([&] { press(alert.window(), escapeKey); }), 1001);
}

TEST_F(AlertTest, EscapeDoesNothingWithoutACancelButton) {
    alert.addButton("Replace");
    alert.addButton("Keep Both");
    int response = run([&] {
        press(alert.window(), escapeKey);
        EXPECT_TRUE(alert.window().isVisible());
        EXPECT_EQ(app.modalWindow(), &alert.window());
        click(buttonTitled(alert.window(), "Keep Both"));
    });
    EXPECT_EQ(response, 1001);
}

TEST_F(AlertTest, WithoutButtonsItOffersOK) {
    alert.setMessageText("The rule was saved.");
    EXPECT_EQ(run([&] { click(buttonTitled(alert.window(), "OK")); }), 1000);
    ASSERT_EQ(alert.buttons().size(), 1u);
    EXPECT_EQ(alert.buttons()[0]->title(), "OK");
}

TEST_F(AlertTest, OtherWindowsTakeNoClicksWhileItRuns) {
    struct Counter : kit::Responder {
        bool tryToPerform(const kit::Action&, kit::Responder*) override { return ++clicks, true; }
        int clicks = 0;
    } counter;
    kit::Window settings({300, 120}, kit::WindowStyle::titled | kit::WindowStyle::closable);
    auto& add = settings.contentView()->addSubview(std::make_unique<kit::Button>("Add"));
    add.setFrame({20, 20, 80, 22});
    add.setTarget(&counter);
    add.setAction("add:");
    settings.makeKeyAndOrderFront();

    run([&] {
        click(add);
        click(*alert.buttons().front());
    });
    EXPECT_EQ(counter.clicks, 0);
    click(add);
    EXPECT_EQ(counter.clicks, 1) << "the window works again once the alert is gone";
}

TEST_F(AlertTest, LongTextMakesItTallerButNeverWider) {
    alert.setMessageText("Remove the rule?");
    alert.addButton("Remove");
    alert.addButton("Cancel");
    alert.layout();
    kit::Size small = alert.window().contentSize();
    EXPECT_EQ(small.width, kit::Alert::width);

    std::string paragraphs =
        "Tarnwick stops keeping the menu bar visible for this application.\n\n"
        "You can add the application again at any time from the rules list.";
    alert.setInformativeText(paragraphs);
    alert.layout();
    kit::Size large = alert.window().contentSize();
    EXPECT_EQ(large.width, kit::Alert::width);
    EXPECT_GT(large.height, small.height + 60);

    const kit::Label* text = labelShowing(alert.window(), paragraphs);
    ASSERT_TRUE(text);
    double withBreak = text->frame().height();
    alert.setInformativeText(
        "Tarnwick stops keeping the menu bar visible for this application. "
        "You can add the application again at any time from the rules list.");
    alert.layout();
    EXPECT_GT(withBreak, text->frame().height()) << "the blank line between paragraphs stays";

    for (const auto& view : alert.window().contentView()->subviews()) {
        EXPECT_LE(view->frame().maxX(), kit::Alert::width);
    }
    EXPECT_GT(alert.buttons()[0]->frame().minY(), text->frame().maxY());
}

TEST_F(AlertTest, TwoShortButtonsStandSideBySideAndOthersStack) {
    auto& remove = alert.addButton("Remove");
    auto& cancel = alert.addButton("Cancel");
    alert.layout();
    EXPECT_EQ(remove.frame().minY(), cancel.frame().minY());
    EXPECT_GT(remove.frame().minX(), cancel.frame().maxX()) << "the default on the right";

    auto& keep = alert.addButton("Keep the Rule but Stop Hiding");
    alert.layout();
    EXPECT_LT(remove.frame().maxY(), cancel.frame().minY()) << "the default on top";
    EXPECT_LT(cancel.frame().maxY(), keep.frame().minY());
    EXPECT_EQ(remove.frame().width(), keep.frame().width());
    EXPECT_GT(keep.frame().width(), kit::Alert::width * 0.8);
}

}  // namespace
