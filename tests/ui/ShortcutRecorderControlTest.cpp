#include <gtest/gtest.h>

#include <vector>

#include "fakes/FakePlatform.h"
#include "fakes/Modifiers.h"
#include "kit/Application.h"
#include "kit/Menu.h"
#include "kit/Window.h"
#include "ui/ShortcutRecorderControl.h"

namespace {

using namespace fakes::modifiers;
using kit::Color;
using kit::Event;

constexpr std::uint64_t capsLock = 0x10000;
constexpr std::uint64_t function = 0x800000;

constexpr std::uint16_t deleteKey = 51;
constexpr std::uint16_t forwardDeleteKey = 117;
constexpr std::uint16_t escapeKey = 53;
constexpr std::uint16_t kKey = 40;
constexpr std::uint16_t qKey = 12;

// Counts the menu actions that arrive.
struct MenuTarget : kit::Responder {
    bool tryToPerform(const kit::Action&, kit::Responder*) override {
        ++performed;
        return true;
    }
    int performed = 0;
};

class ShortcutRecorderControlTest : public fakes::PlatformTest {
protected:
    struct Report {
        std::optional<HotKey> hotKey;
        bool wasRecording;
    };

    kit::Application app;
    kit::Window window{{300, 80}, kit::WindowStyle::titled};
    ShortcutRecorderControl& recorder = addRecorder();
    std::vector<Report> reports;

    ShortcutRecorderControl& addRecorder() {
        auto& added = window.contentView()->addSubview(std::make_unique<ShortcutRecorderControl>());
        added.setFrame({{20, 20}, added.fittingSize()});
        added.onRecord = [this](std::optional<HotKey> hotKey) {
            reports.push_back({hotKey, recorder.isRecording()});
        };
        return added;
    }
    void click() {
        kit::Point middle = recorder.convertToWindow({85, 12});
        window.sendEvent(Event::mouse(Event::Type::leftMouseDown, middle));
        window.sendEvent(Event::mouse(Event::Type::leftMouseUp, middle));
    }
    void press(std::uint16_t keyCode, std::uint64_t modifiers = 0, std::string characters = "") {
        window.sendEvent(
            Event::key(Event::Type::keyDown, keyCode, std::move(characters), modifiers));
    }
    void hold(std::uint64_t modifiers) {
        window.sendEvent(Event::key(Event::Type::flagsChanged, 0, "", modifiers));
    }
};

TEST_F(ShortcutRecorderControlTest, ASecondClickStopsWithoutReportingAndShowsTheShortcutAgain) {
    recorder.setHotKey(HotKey{kKey, control | option | command});
    EXPECT_EQ(recorder.displayText(), "⌃⌥⌘K");
    EXPECT_EQ(recorder.displayColor(), Color::labelColor());

    click();
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(window.firstResponder(), &recorder);
    EXPECT_EQ(recorder.displayText(), "Type shortcut");
    EXPECT_EQ(recorder.displayColor(), Color::placeholderTextColor());

    click();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(window.firstResponder(), nullptr);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(recorder.displayText(), "⌃⌥⌘K");

    // The owner's way of ending a recording reports nothing either.
    click();
    recorder.stopRecording();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_TRUE(reports.empty());

    recorder.setHotKey(std::nullopt);
    EXPECT_EQ(recorder.displayText(), "Click to record");
    EXPECT_EQ(recorder.displayColor(), Color::placeholderTextColor());
}

TEST_F(ShortcutRecorderControlTest, HeldModifiersArePreviewedUntilReleased) {
    click();
    hold(shift | command | capsLock | function);
    EXPECT_EQ(recorder.pressedModifiers(), shift | command);
    EXPECT_EQ(recorder.displayText(), "⇧⌘…");
    EXPECT_EQ(recorder.displayColor(), Color::labelColor());

    hold(capsLock);
    EXPECT_EQ(recorder.pressedModifiers(), 0u);
    EXPECT_EQ(recorder.displayText(), "Type shortcut");
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(reports.empty());

    // A new recording starts with nothing held.
    hold(option);
    click();
    click();
    EXPECT_EQ(recorder.pressedModifiers(), 0u);
}

TEST_F(ShortcutRecorderControlTest, EachKeyEndsRecordingAndReportsWhatItMeans) {
    struct Case {
        const char* name;
        std::uint16_t keyCode;
        std::uint64_t modifiers;
        std::optional<std::optional<HotKey>> expected;  // outer none: nothing reported
    };
    const Case cases[] = {
        {"plain Delete clears", deleteKey, 0, std::optional<HotKey>{}},
        {"plain Forward Delete clears", forwardDeleteKey, 0, std::optional<HotKey>{}},
        {"Caps Lock does not stop Delete clearing", deleteKey, capsLock, std::optional<HotKey>{}},
        {"Command-Delete is a shortcut", deleteKey, command, HotKey{deleteKey, command}},
        {"plain Escape only stops", escapeKey, 0, std::nullopt},
        {"Option-Escape is a shortcut", escapeKey, option, HotKey{escapeKey, option}},
        {"a bare letter is reported as is", kKey, 0, HotKey{kKey, 0}},
        {"Caps Lock is dropped", kKey, command | capsLock, HotKey{kKey, command}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        reports.clear();
        click();
        press(test.keyCode, test.modifiers);
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_EQ(window.firstResponder(), nullptr);
        if (!test.expected) {
            EXPECT_TRUE(reports.empty());
            continue;
        }
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].hotKey, *test.expected);
        EXPECT_FALSE(reports[0].wasRecording);
    }
}

TEST_F(ShortcutRecorderControlTest, CommandKeysAreRecordedInsteadOfReachingTheMenus) {
    MenuTarget quit;
    auto menu = std::make_unique<kit::Menu>("Main");
    menu->addItem("Quit", "quit:", "q").setTarget(&quit);
    app.setMainMenu(std::move(menu));

    click();
    press(qKey, command, "q");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].hotKey, (HotKey{qKey, command}));
    EXPECT_EQ(quit.performed, 0);

    // Idle, the same key is the menu's again.
    press(qKey, command, "q");
    EXPECT_EQ(quit.performed, 1);
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(ShortcutRecorderControlTest, WithoutACallbackKeysStillStopRecording) {
    recorder.onRecord = nullptr;
    click();
    press(kKey, command);
    EXPECT_FALSE(recorder.isRecording());
    click();
    press(deleteKey);
    EXPECT_FALSE(recorder.isRecording());
}

TEST_F(ShortcutRecorderControlTest, ADisabledControlTakesNoFocusAndDrawsDimmed) {
    recorder.setHotKey(HotKey{kKey, command});
    recorder.setEnabled(false);
    click();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(window.makeFirstResponder(&recorder));
    EXPECT_EQ(recorder.displayText(), "⌘K");
    EXPECT_EQ(recorder.displayColor(), Color::disabledControlTextColor());
}

TEST_F(ShortcutRecorderControlTest, DrawsItsTextAndTurnsTheOutlineAccentWhileRecording) {
    // Not key, so no focus ring covers the outline.
    auto colourAt = [this](const kit::Bitmap& picture, kit::Point local) {
        kit::Point point = recorder.convertToWindow(local);
        auto pixel = picture.pixel(int(point.x * 2), int(point.y * 2));
        return Color::rgb(int(pixel >> 16 & 0xff), int(pixel >> 8 & 0xff), int(pixel & 0xff));
    };
    auto isAccent = [](Color colour) { return colour.blue > 0.8 && colour.red < 0.3; };
    auto isGrey = [](Color colour) { return colour.red == colour.blue && colour.red < 0.95; };
    auto hasTextInk = [&](const kit::Bitmap& picture) {
        for (double x = 40; x < 130; x += 0.5) {
            if (colourAt(picture, {x, 12}).red < 0.8) return true;
        }
        return false;
    };

    recorder.setHotKey(HotKey{kKey, command});
    kit::Bitmap idle = window.render();
    EXPECT_TRUE(isGrey(colourAt(idle, {0.5, 12})));
    EXPECT_TRUE(hasTextInk(idle));

    click();
    kit::Bitmap recording = window.render();
    EXPECT_TRUE(isAccent(colourAt(recording, {0.5, 12})));
    EXPECT_TRUE(hasTextInk(recording));
}

}  // namespace
