// Pop-up buttons and segmented controls: the controls that offer a choice.

#include <gtest/gtest.h>

#include <vector>

#include "fakes/FakePlatform.h"
#include "kit/Label.h"
#include "kit/MenuView.h"
#include "kit/PopUpButton.h"
#include "kit/SegmentedControl.h"
#include "kit/Window.h"

namespace {

using kit::ControlState;
using kit::PopUpButton;
using kit::SegmentedControl;

// Notes, for each action, what the sender showed as chosen.
struct ActionRecorder : kit::Responder {
    bool tryToPerform(const kit::Action&, kit::Responder* sender) override {
        if (auto* popUp = dynamic_cast<PopUpButton*>(sender))
            titles.push_back(popUp->titleOfSelectedItem());
        if (auto* segments = dynamic_cast<SegmentedControl*>(sender))
            segmentsClicked.push_back(segments->selectedSegment());
        return true;
    }
    std::vector<std::string> titles;
    std::vector<int> segmentsClicked;
};

class PopUpButtonTest : public fakes::PlatformTest {
protected:
    kit::Window window{{400, 200}, kit::WindowStyle::titled};
    ActionRecorder target;

    template <typename T>
    T& add(std::unique_ptr<T> control) {
        T& added = window.contentView()->addSubview(std::move(control));
        added.setFrame({{20, 20}, added.fittingSize()});
        added.setTarget(&target);
        added.setAction("choose:");
        return added;
    }
    PopUpButton& addPopUp(std::initializer_list<const char*> titles) {
        auto popUp = std::make_unique<PopUpButton>();
        for (const char* title : titles) popUp->addItem(title);
        return add(std::move(popUp));
    }
    // The + and − below a list.
    SegmentedControl& addRemove() {
        auto& segments = add(std::make_unique<SegmentedControl>(2));
        segments.setTrackingMode(SegmentedControl::TrackingMode::momentary);
        segments.setImage(kit::Image::symbol("plus"), 0);
        segments.setImage(kit::Image::symbol("minus"), 1);
        segments.setAccessibilityDescription("Remove", 1);
        return segments;
    }

    void mouse(kit::Event::Type type, kit::Point inWindow) {
        window.sendEvent(kit::Event::mouse(type, inWindow));
    }
    void click(kit::Point inWindow) {
        mouse(kit::Event::Type::leftMouseDown, inWindow);
        mouse(kit::Event::Type::leftMouseUp, inWindow);
    }
    // A person choosing item `index` from the pop-up's menu, or dismissing
    // it with −1. Notes what the menu showed as checked while it was open.
    void choose(PopUpButton& popUp, int index) {
        popUp.setMenuPresenter([this, index, &popUp](kit::Menu& menu) -> kit::MenuItem* {
            ++menusShown;
            highlightedWhileShown = popUp.isHighlighted();
            checkedWhileShown.clear();
            for (const auto& item : menu.items()) {
                if (item->state() == ControlState::on) checkedWhileShown.push_back(item->title());
            }
            return index < 0 ? nullptr : menu.item(std::size_t(index));
        });
        click(popUp.convertToWindow({20, 10}));
    }
    kit::Point centreOf(const SegmentedControl& segments, int segment) {
        kit::Rect rect = segments.segmentRect(segment);
        return segments.convertToWindow({rect.midX(), rect.midY()});
    }

    int menusShown = 0;
    bool highlightedWhileShown = false;
    std::vector<std::string> checkedWhileShown;
};

TEST_F(PopUpButtonTest, TheFirstItemAddedIsSelectedAndTheSelectionCarriesTheMark) {
    auto& popUp = addPopUp({});
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
    EXPECT_EQ(popUp.selectedItem(), nullptr);
    popUp.addItem("Show");
    popUp.addItem("Hide");
    popUp.addItem("Hide Always");
    EXPECT_EQ(popUp.indexOfSelectedItem(), 0);
    popUp.selectItem(2);
    EXPECT_EQ(popUp.selectedItem(), popUp.lastItem());
    EXPECT_EQ(popUp.itemAt(0)->state(), ControlState::off);
    EXPECT_EQ(popUp.itemAt(2)->state(), ControlState::on);
    popUp.selectItem(7);
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);

    popUp.itemAt(1)->setRepresentedObject(platform::PropertyValue(1));
    EXPECT_TRUE(popUp.selectItemWithRepresentedObject(platform::PropertyValue(1)));
    EXPECT_FALSE(popUp.selectItemWithRepresentedObject(platform::PropertyValue("1")));
    EXPECT_EQ(popUp.titleOfSelectedItem(), "Hide");
    popUp.removeAllItems();
    EXPECT_EQ(popUp.indexOfSelectedItem(), -1);
}

TEST_F(PopUpButtonTest, ChoosingAnItemSelectsItAndTellsTheTargetEveryTime) {
    auto& popUp = addPopUp({"Show", "Hide", "Hide Always"});
    choose(popUp, 2);
    EXPECT_TRUE(highlightedWhileShown);
    EXPECT_EQ(checkedWhileShown, std::vector<std::string>{"Show"});
    EXPECT_FALSE(popUp.isHighlighted());
    choose(popUp, 2);
    EXPECT_EQ(checkedWhileShown, std::vector<std::string>{"Hide Always"});
    EXPECT_EQ(target.titles, (std::vector<std::string>{"Hide Always", "Hide Always"}));

    choose(popUp, -1);
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
    EXPECT_EQ(target.titles.size(), 2u);

    popUp.setEnabled(false);
    choose(popUp, 0);
    EXPECT_EQ(menusShown, 3);
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
}

TEST_F(PopUpButtonTest, ThePopUpIsAsWideAsItsWidestItem) {
    auto& popUp = addPopUp({"Show"});
    double oneItem = popUp.intrinsicContentSize().width;
    double longTitle = kit::Label("Hide Always in Full Screen").intrinsicContentSize().width;
    popUp.addItem("Hide Always in Full Screen");
    double twoItems = popUp.intrinsicContentSize().width;
    EXPECT_GT(twoItems, std::max(oneItem, longTitle + 20)) << "with room for the chevrons";
    EXPECT_EQ(popUp.intrinsicContentSize().height, 22);
    popUp.lastItem()->setImage(kit::Image::symbol("eye.slash"));
    EXPECT_GE(popUp.intrinsicContentSize().width, twoItems + 16);
    popUp.setControlSize(kit::ControlSize::small);
    EXPECT_EQ(popUp.intrinsicContentSize().height, 19);
}

TEST_F(PopUpButtonTest, ASmallPopUpOpensItsMenuInTheSmallFont) {
    auto menuWidth = [this](PopUpButton& popUp) {
        double width = 0;
        popUp.setMenuPresenter([&width](kit::Menu& menu) -> kit::MenuItem* {
            width = kit::MenuView(menu, {}).fittingSize().width;
            return nullptr;
        });
        click(popUp.convertToWindow({20, 10}));
        return width;
    };
    const char* longTitle = "Hide Always in Full Screen and on Every Display";
    double regular = menuWidth(addPopUp({longTitle}));
    auto& small = addPopUp({longTitle});
    small.setControlSize(kit::ControlSize::small);
    double titleSaved = kit::Label(longTitle).intrinsicContentSize().width * (1 - 11.0 / 13);
    EXPECT_NEAR(menuWidth(small), regular - titleSaved, 3);
}

TEST_F(PopUpButtonTest, TheSelectedTitleSitsOnTheBaselineBeforeTheChevrons) {
    auto& popUp = addPopUp({"HIDE", "SHOW"});
    popUp.setFrameSize({120, popUp.frame().height()});
    kit::Rect frame = popUp.frameInWindow();
    auto drawn = window.render(2);
    int lowestInk = -1;
    double rightmostInk = 0;
    for (int y = int(frame.minY() * 2); y < int(frame.maxY() * 2); ++y) {
        for (int x = int(frame.minX() * 2); x < int((frame.maxX() - 20) * 2); ++x) {
            if ((drawn.pixel(x, y) & 0xff) > 128) continue;
            lowestInk = std::max(lowestInk, y);
            rightmostInk = std::max(rightmostInk, (x + 1) / 2.0);
        }
    }
    EXPECT_NEAR((lowestInk + 1) / 2.0, frame.minY() + *popUp.firstBaselineOffsetFromTop(), 0.6);
    EXPECT_NEAR(rightmostInk - frame.minX(), 8 + kit::Label("HIDE").intrinsicContentSize().width,
                2);
}

TEST_F(PopUpButtonTest, AMomentarySegmentNamesItselfDuringItsActionOnly) {
    auto& segments = addRemove();
    mouse(kit::Event::Type::leftMouseDown, centreOf(segments, 1));
    EXPECT_EQ(segments.highlightedSegment(), 1);
    mouse(kit::Event::Type::leftMouseUp, centreOf(segments, 1));
    click(centreOf(segments, 0));
    EXPECT_EQ(target.segmentsClicked, (std::vector{1, 0}));
    EXPECT_EQ(segments.selectedSegment(), -1);
    EXPECT_EQ(segments.highlightedSegment(), -1);

    segments.setTrackingMode(SegmentedControl::TrackingMode::selectOne);
    click(centreOf(segments, 1));
    EXPECT_EQ(segments.selectedSegment(), 1);
    EXPECT_EQ(target.segmentsClicked, (std::vector{1, 0, 1}));
}

TEST_F(PopUpButtonTest, DisabledSegmentsAndSlippingOffDoNothing) {
    auto& segments = addRemove();
    segments.setEnabled(false, 1);  // nothing selected to remove
    mouse(kit::Event::Type::leftMouseDown, centreOf(segments, 1));
    EXPECT_EQ(segments.highlightedSegment(), -1);
    mouse(kit::Event::Type::leftMouseUp, centreOf(segments, 1));
    mouse(kit::Event::Type::leftMouseDown, centreOf(segments, 0));
    mouse(kit::Event::Type::leftMouseUp, centreOf(segments, 1));
    segments.setEnabled(true, 1);
    segments.setEnabled(false);
    click(centreOf(segments, 0));
    EXPECT_TRUE(target.segmentsClicked.empty());
    EXPECT_TRUE(segments.isEnabled(1));
}

TEST_F(PopUpButtonTest, SquareSegmentsSideBySideDarkenWhenPressed) {
    auto& segments = addRemove();
    EXPECT_EQ(segments.intrinsicContentSize(), (kit::Size{48, 22}));
    EXPECT_EQ(segments.segmentAt({23, 10}), 0);
    EXPECT_EQ(segments.segmentAt({25, 10}), 1);
    EXPECT_EQ(segments.segmentAt({49, 10}), -1);
    EXPECT_EQ(segments.accessibilityDescription(1), "Remove");

    // Each segment's darkest pixel (its symbol) and a pixel of its face.
    auto look = [&](int segment) {
        auto drawn = window.render(2);
        kit::Rect rect = segments.segmentRect(segment).offsetBy(segments.frameInWindow().minX(),
                                                                segments.frameInWindow().minY());
        int darkest = 255;
        for (int y = int(rect.minY() * 2) + 2; y < int(rect.maxY() * 2) - 2; ++y) {
            for (int x = int(rect.minX() * 2) + 2; x < int(rect.maxX() * 2) - 2; ++x) {
                darkest = std::min(darkest, int(drawn.pixel(x, y) & 0xff));
            }
        }
        return std::pair{
            darkest, int(drawn.pixel(int(rect.minX() * 2) + 6, int(rect.minY() * 2) + 6) & 0xff)};
    };
    EXPECT_LT(look(0).first, 80);
    EXPECT_EQ(look(0).second, 255);
    mouse(kit::Event::Type::leftMouseDown, centreOf(segments, 0));
    EXPECT_LT(look(0).second, 235);
    EXPECT_EQ(look(1).second, 255);
    mouse(kit::Event::Type::leftMouseUp, centreOf(segments, 0));
    segments.setEnabled(false, 1);
    EXPECT_GT(look(1).first, 150);
}

}  // namespace
