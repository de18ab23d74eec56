#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "kit/Application.h"
#include "kit/Label.h"
#include "kit/ScrollView.h"
#include "kit/TableView.h"
#include "kit/Window.h"

namespace {

using kit::Event;
using kit::Point;
using kit::Rect;
using kit::View;

// The scroll view sits at (20, 20) of the content, inside a 1-pt bezel.
constexpr double scrollLeft = 20;
constexpr double scrollTop = 20;
constexpr double border = 1;

constexpr std::uint32_t white = 0xFFFFFFFF;
constexpr std::uint32_t stripe = 0xFFF4F5F5;
constexpr std::uint32_t selectionBlue = 0xFF0063E1;

int redOf(std::uint32_t pixel) {
    return int(pixel >> 16 & 0xff);
}

// Stands in for a pop-up: takes its own clicks and finds its row the way a
// pop-up in a cell does.
struct ModeButton : View {
    explicit ModeButton(std::vector<int>& clicks) : clicks(clicks) {}
    void mouseDown(const Event&) override {
        auto* table = dynamic_cast<kit::TableView*>(superview());
        clicks.push_back(table ? table->rowFor(*this) : -2);
    }
    std::vector<int>& clicks;
};

constexpr double nameLeft = 26;

// A rules list: an app cell (named after the app, with an icon inside) and a
// mode button per row.
struct Rules : kit::TableViewDataSource, kit::TableViewDelegate {
    int numberOfRows(kit::TableView&) override { return int(apps.size()); }
    std::unique_ptr<View> viewFor(kit::TableView&, const kit::TableColumn& column,
                                  int row) override {
        ++cellsMade;
        if (column.identifier() == "mode") return std::make_unique<ModeButton>(modeClicks);
        auto cell = std::make_unique<View>();
        cell->setIdentifier(apps[row]);
        cell->addSubview(std::make_unique<View>(Rect{2, 3, 18, 18})).setIdentifier("icon");
        auto& name = cell->addSubview(std::make_unique<kit::Label>(apps[row]));
        name.setFrame({nameLeft, 4, 150, 16});
        return cell;
    }
    void selectionDidChange(kit::TableView& table) override {
        selections.push_back(table.selectedRow());
    }

    std::vector<std::string> apps{"Mail",   "Notes", "Music",  "Maps",    "Books",
                                  "Photos", "Clock", "Stocks", "Weather", "Podcasts"};
    int cellsMade = 0;
    std::vector<int> selections;
    std::vector<int> modeClicks;
};

class TableViewTest : public fakes::PlatformTest {
protected:
    TableViewTest() : window({400, 160}, kit::WindowStyle::titled) {
        auto scroll = std::make_unique<kit::ScrollView>(Rect{scrollLeft, scrollTop, 360, 120});
        scroll->setBorderType(kit::BorderType::bezel);
        scroll->setHasVerticalScroller(true);
        auto rows = std::make_unique<kit::TableView>();
        rows->setRowHeight(24);
        rows->setUsesAlternatingRowBackgroundColors(true);
        rows->addTableColumn(kit::TableColumn("app", 200, 100));
        rows->addTableColumn(kit::TableColumn("mode", 116, 116));
        rows->setDataSource(&rules);
        rows->setDelegate(&rules);
        table = rows.get();
        scroll->setDocumentView(std::move(rows));
        scrollView = &window.contentView()->addSubview(std::move(scroll));
        window.makeKeyAndOrderFront();
    }

    // A point of the table, seen through the scroll view at `offset`, in window coordinates.
    static Point windowPoint(double x, double y, double offset = 0) {
        return {scrollLeft + border + x,
                kit::Window::titleBarHeight + scrollTop + border + y - offset};
    }
    void click(Point inWindow) {
        window.sendEvent(Event::mouse(Event::Type::leftMouseDown, inWindow));
        window.sendEvent(Event::mouse(Event::Type::leftMouseUp, inWindow));
    }
    void clickRow(int row, double x = 100, double offset = 0) {
        click(windowPoint(x, row * 24 + 12, offset));
    }
    void reloadWith(std::vector<std::string> apps) {
        rules.apps = std::move(apps);
        table->reloadData();
    }
    void resizeScrollView(double width) {
        scrollView->setFrameSize({width, 120});
        window.layoutIfNeeded();
    }

    kit::Application app;
    Rules rules;
    kit::Window window;
    kit::ScrollView* scrollView = nullptr;
    kit::TableView* table = nullptr;
};

TEST_F(TableViewTest, CellsFillTheirColumnsInRowsOf24Points) {
    EXPECT_EQ(table->numberOfRows(), 10);
    EXPECT_EQ(rules.cellsMade, 20);
    EXPECT_EQ(table->frame().width(), 358);
    // The first column takes the room the 116-point second one leaves.
    EXPECT_EQ(table->viewAt(0, 2)->frame(), (Rect{3, 48, 236, 24}));
    EXPECT_EQ(table->viewAt(1, 2)->frame(), (Rect{245, 48, 110, 24}));
    EXPECT_EQ(table->viewAt(0, 9)->identifier(), "Podcasts");
    EXPECT_EQ(table->viewAt(2, 0), nullptr);
    EXPECT_EQ(table->viewAt(0, 10), nullptr);
}

TEST_F(TableViewTest, ReloadAsksAgainAndKeepsTheSelectionWhileItsRowExists) {
    table->selectRow(1);
    rules.cellsMade = 0;
    reloadWith({"Terminal", "Finder", "Safari"});
    EXPECT_EQ(table->numberOfRows(), 3);
    EXPECT_EQ(rules.cellsMade, 6);
    EXPECT_EQ(table->subviews().size(), 6u);
    EXPECT_EQ(table->viewAt(0, 1)->identifier(), "Finder");
    EXPECT_EQ(table->viewAt(0, 5), nullptr);
    EXPECT_EQ(table->selectedRow(), 1);

    reloadWith({"Terminal"});
    EXPECT_EQ(table->selectedRow(), -1);
    EXPECT_EQ(rules.selections, (std::vector<int>{1, -1}));
}

TEST_F(TableViewTest, ClicksAndSelectRowChangeTheSelectionAndTellTheDelegateOnce) {
    clickRow(2);
    clickRow(2);
    click(windowPoint(4 + 2, 4 * 24 + 6));  // on the icon in row 4
    table->selectRow(7);
    table->selectRow(7, true);
    table->selectRow(42);
    EXPECT_EQ(table->selectedRow(), 7);
    EXPECT_EQ(rules.selections, (std::vector<int>{2, 4, 7}));
}

TEST_F(TableViewTest, AClickBelowTheRowsEmptiesTheSelectionUnlessThatIsNotAllowed) {
    reloadWith({"Terminal", "Finder", "Safari"});
    clickRow(1);
    clickRow(4);
    EXPECT_EQ(table->selectedRow(), -1);

    table->setAllowsEmptySelection(false);
    clickRow(2);
    clickRow(4);
    table->deselectAll();
    EXPECT_EQ(table->selectedRow(), 2);
    EXPECT_EQ(rules.selections, (std::vector<int>{1, -1, 2}));
}

TEST_F(TableViewTest, AControlInACellTakesTheClickAndKnowsItsRow) {
    clickRow(3, 250);
    EXPECT_EQ(rules.modeClicks, std::vector<int>{3});
    EXPECT_EQ(table->selectedRow(), -1);

    View* icon =
        table->viewAt(0, 6)->findView([](const View& view) { return view.identifier() == "icon"; });
    View elsewhere;
    EXPECT_EQ(table->rowFor(*icon), 6);
    EXPECT_EQ(table->rowFor(*table), -1);
    EXPECT_EQ(table->rowFor(elsewhere), -1);
}

TEST_F(TableViewTest, ScrollingARowIntoViewMovesClicksWithIt) {
    table->scrollRowToVisible(9);
    // Ten rows of 24 points in 118 visible: the last one ends at the bottom.
    double offset = 240 - 118;
    EXPECT_EQ(scrollView->verticalScrollOffset(), offset);
    clickRow(9, 100, offset);
    EXPECT_EQ(table->selectedRow(), 9);
    click(windowPoint(100, offset + 1, offset));
    EXPECT_EQ(table->selectedRow(), 5);
    clickRow(7, 250, offset);
    EXPECT_EQ(rules.modeClicks, std::vector<int>{7});

    table->scrollRowToVisible(6);
    EXPECT_EQ(scrollView->verticalScrollOffset(), offset);
    table->scrollRowToVisible(0);
    EXPECT_EQ(scrollView->verticalScrollOffset(), 0);
    scrollView->scrollTo(1000);
    EXPECT_EQ(scrollView->verticalScrollOffset(), offset);
    reloadWith({"Terminal"});
    EXPECT_EQ(scrollView->verticalScrollOffset(), 0);
}

// The columns fill the table: the first takes what the last leaves, down to
// its minimum, and the last stays at the trailing edge.
TEST_F(TableViewTest, OnlyTheFirstColumnFollowsTheWidthDownToItsMinimum) {
    window.layoutIfNeeded();
    auto fillsTheTable = [&] {
        EXPECT_DOUBLE_EQ(table->tableColumns()[0].width() + 116, table->bounds().width());
        EXPECT_DOUBLE_EQ(table->viewAt(1, 0)->frame().maxX(),
                         table->bounds().width() - kit::TableView::cellInset);
    };
    fillsTheTable();
    resizeScrollView(400);
    fillsTheTable();
    EXPECT_EQ(table->tableColumns()[1].width(), 116);

    resizeScrollView(200);
    EXPECT_EQ(table->tableColumns()[0].width(), 100);
    resizeScrollView(360);
    fillsTheTable();
    clickRow(1, 300);
    EXPECT_EQ(rules.modeClicks, std::vector<int>{1});
}

TEST_F(TableViewTest, RowsAreStripedToTheBottomAndTheSelectionIsBlueWhileKey) {
    reloadWith({"Terminal", "Finder", "Safari"});
    table->selectRow(1);
    auto pixelOfRow = [](const kit::Bitmap& bitmap, int row) {
        Point point = windowPoint(100, row * 24 + 12);
        return bitmap.pixel(int(point.x), int(point.y));
    };
    auto picture = window.render(1);
    EXPECT_EQ(pixelOfRow(picture, 0), white);
    EXPECT_EQ(pixelOfRow(picture, 1), selectionBlue);
    EXPECT_EQ(pixelOfRow(picture, 2), white);
    EXPECT_EQ(pixelOfRow(picture, 3), stripe);  // below the last row
    EXPECT_EQ(pixelOfRow(picture, 4), white);
    EXPECT_LT(redOf(picture.pixel(int(scrollLeft), 100)),
              236);  // the bezel, darker than the window

    // Names are dark on plain rows and white on the accent.
    auto redRange = [&](const kit::Bitmap& bitmap, int row) {
        std::pair<int, int> range{255, 0};
        for (int x = int(nameLeft); x < int(nameLeft) + 40; ++x) {
            for (int y = row * 24 + 4; y < row * 24 + 20; ++y) {
                Point point = windowPoint(x, y);
                int red = redOf(bitmap.pixel(int(point.x), int(point.y)));
                range = {std::min(range.first, red), std::max(range.second, red)};
            }
        }
        return range;
    };
    EXPECT_LT(redRange(picture, 0).first, 100) << "dark text on white";
    EXPECT_GT(redRange(picture, 1).second, 200) << "white text on the accent";

    app.setKeyWindow(nullptr);
    auto inactive = window.render(1);
    EXPECT_NE(pixelOfRow(inactive, 1), selectionBlue);
    EXPECT_NE(pixelOfRow(inactive, 1), stripe);
    EXPECT_LT(redRange(inactive, 1).first, 100) << "dark again on the grey selection";
}

TEST_F(TableViewTest, TheScrollerShowsOnlyWhileThereIsMoreToSee) {
    Point knob = windowPoint(358 - 5, 20);
    auto tall = window.render(1);
    EXPECT_LT(redOf(tall.pixel(int(knob.x), int(knob.y))), 200);

    reloadWith({"Terminal"});
    auto shortList = window.render(1);
    EXPECT_EQ(shortList.pixel(int(knob.x), int(knob.y)), white);
}

}  // namespace
