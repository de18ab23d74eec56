#include <gtest/gtest.h>

#include "FixedView.h"

#include "fakes/FakePlatform.h"
#include "kit/Button.h"
#include "kit/GridView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/StackView.h"
#include "kit/Window.h"

namespace {

using kit::GridRowAlignment;
using kit::GridView;
using kit::GridXPlacement;
using kit::GridYPlacement;
using kit::Rect;
using kit::Size;
using kit::View;

using kittest::FixedView;

std::unique_ptr<View> fixed(double width, double height, std::optional<double> baseline = {}) {
    return std::make_unique<FixedView>(Size{width, height}, baseline);
}
// The sizes of the settings window's text: a label and a push button.
std::unique_ptr<View> label(double width) {
    return fixed(width, 17, 13);
}
std::unique_ptr<View> button(double width) {
    return fixed(width, 22, 15);
}

Rect frame(const GridView& grid, int row, int column) {
    return grid.cell(row, column)->frame();
}

TEST(GridViewTest, ColumnsTakeTheWidestCellAndSpacingGoesBetween) {
    GridView grid;
    grid.addRow(label(40), button(100));
    grid.addRow(label(80), button(60));
    grid.column(0).setXPlacement(GridXPlacement::trailing);
    grid.setColumnSpacing(8);
    grid.setRowSpacing(6);
    grid.layout();

    // Titles end at the column's right edge.
    EXPECT_EQ(frame(grid, 0, 0), (Rect{40, 0, 40, 17}));
    EXPECT_EQ(frame(grid, 1, 0), (Rect{0, 28, 80, 17}));
    EXPECT_EQ(frame(grid, 0, 1), (Rect{88, 0, 100, 22}));
    EXPECT_EQ(frame(grid, 1, 1), (Rect{88, 28, 60, 22}));
    EXPECT_EQ(grid.fittingSize(), (Size{188, 50}));
}

TEST(GridViewTest, CellsAreCentredOrFillTheirColumnAndRow) {
    GridView grid;
    grid.addRow(fixed(20, 10), fixed(30, 40));
    grid.addRow(fixed(60, 10), fixed(50, 10));
    grid.column(0).setXPlacement(GridXPlacement::center);
    grid.column(1).setXPlacement(GridXPlacement::fill);
    grid.row(0).setYPlacement(GridYPlacement::bottom);
    grid.layout();
    EXPECT_EQ(frame(grid, 0, 0), (Rect{20, 30, 20, 10}));
    EXPECT_EQ(frame(grid, 0, 1), (Rect{60, 0, 50, 40}));

    grid.row(0).setYPlacement(GridYPlacement::fill);
    grid.layout();
    EXPECT_EQ(frame(grid, 0, 0), (Rect{20, 0, 20, 40}));
}

TEST(GridViewTest, BaselineRowsLineUpTextAndRowsMayOptOut) {
    GridView grid;
    grid.setRowAlignment(GridRowAlignment::firstBaseline);
    grid.addRow(label(60), button(80));
    // Ascent from the label, descent from the deep cell: taller than either.
    grid.addRow(label(60), fixed(40, 20, 5));
    // Without a baseline a cell hangs from the top.
    grid.addRow(label(60), fixed(30, 30));
    auto& plain = grid.addRow(label(60), button(80));
    plain.setRowAlignment(GridRowAlignment::none);
    plain.setYPlacement(GridYPlacement::top);
    grid.layout();

    EXPECT_EQ(frame(grid, 0, 0).origin.y, 2);
    EXPECT_EQ(frame(grid, 0, 1).origin.y, 0);
    EXPECT_EQ(frame(grid, 1, 0).origin.y, 22);
    EXPECT_EQ(frame(grid, 1, 1).origin.y, 30);
    EXPECT_EQ(frame(grid, 2, 0).origin.y, 50);
    EXPECT_EQ(frame(grid, 2, 1).origin.y, 50);
    EXPECT_EQ(frame(grid, 3, 0).origin.y, 80);
    EXPECT_EQ(frame(grid, 3, 1).origin.y, 80);
    EXPECT_EQ(grid.fittingSize().height, 22 + 28 + 30 + 22);
    EXPECT_EQ(grid.firstBaselineOffsetFromTop(), 15);
}

TEST(GridViewTest, PaddingsMoveTheRowsBelowByExactlyTheirAmount) {
    GridView grid;
    for (int row = 0; row < 3; ++row) grid.addRow(fixed(10, 20));
    grid.setRowSpacing(10);
    grid.layout();
    EXPECT_EQ(frame(grid, 1, 0).origin.y, 30);
    EXPECT_EQ(frame(grid, 2, 0).origin.y, 60);
    EXPECT_EQ(grid.fittingSize().height, 80);

    grid.row(1).setTopPadding(-4);
    grid.row(1).setBottomPadding(12);
    grid.layout();
    EXPECT_EQ(frame(grid, 1, 0).origin.y, 26);
    EXPECT_EQ(frame(grid, 2, 0).origin.y, 68);
    EXPECT_EQ(grid.fittingSize().height, 88);
}

TEST(GridViewTest, EmptyCellsTakeNoRoom) {
    GridView grid;
    grid.addRow(nullptr, button(100));
    grid.addRow(label(50), nullptr);
    grid.addRow(label(30));
    grid.setColumnSpacing(8);
    grid.layout();

    EXPECT_EQ(grid.numberOfColumns(), 2);
    EXPECT_EQ(grid.cell(0, 0), nullptr);
    EXPECT_EQ(grid.cell(2, 1), nullptr);
    EXPECT_EQ(frame(grid, 0, 1).origin.x, 58);
    EXPECT_EQ(frame(grid, 2, 0).origin.y, 22 + 17);
    EXPECT_EQ(grid.fittingSize(), (Size{158, 22 + 17 + 17}));
}

TEST(GridViewTest, AStackInACellStandsOnTheRowsBaseline) {
    GridView grid;
    grid.setRowAlignment(GridRowAlignment::firstBaseline);
    auto line = std::make_unique<kit::StackView>();
    line->addArrangedSubview(button(120));
    View& link = line->addArrangedSubview(label(60));
    // A larger title: its ascent, not the stack's, sets the baseline.
    grid.addRow(fixed(70, 20, 16), std::move(line));
    grid.layoutSubtreeIfNeeded();

    const View& stack = *grid.cell(0, 1);
    EXPECT_EQ(stack.frame(), (Rect{70, 1, 188, 22}));
    EXPECT_EQ(stack.frame().origin.y + link.frame().origin.y + 13, 16);
    EXPECT_EQ(grid.fittingSize(), (Size{258, 23}));
}

class GridWindowTest : public fakes::PlatformTest {};

TEST_F(GridWindowTest, AWindowSizedToItsGridRendersAtTwiceThePoints) {
    auto grid = std::make_unique<GridView>();
    grid->addRow(label(40), button(100));
    grid->addRow(label(80), button(60));
    grid->setColumnSpacing(8);
    grid->setRowSpacing(6);
    Size fitting = grid->fittingSize();
    grid->setFrame({{20, 20}, fitting});

    kit::Window window;
    const View& lower = *grid->cell(1, 1);
    window.contentView()->addSubview(std::move(grid));
    window.setContentSize({fitting.width + 40, fitting.height + 40});
    kit::Bitmap bitmap = window.render(2);

    EXPECT_EQ(bitmap.width(), 2 * (188 + 40));
    EXPECT_EQ(bitmap.height(), 2 * (50 + 40 + kit::Window::titleBarHeight));
    EXPECT_EQ(lower.frameInWindow().origin,
              (kit::Point{20 + 88, kit::Window::titleBarHeight + 20 + 28}));
}

// Real controls report their baselines before they have frames; a row of
// titles and controls must still stand on one line.
TEST(GridWithControlsTest, TitlesAndControlsShareTheirBaselines) {
    GridView grid;
    grid.setRowAlignment(GridRowAlignment::firstBaseline);
    std::vector<std::pair<View*, View*>> rows;
    auto addRow = [&](std::unique_ptr<View> control) {
        auto title = std::make_unique<kit::Label>("Title:");
        rows.emplace_back(title.get(), control.get());
        grid.addRow(std::move(title), std::move(control));
    };
    addRow(std::make_unique<kit::Button>("Right-click the menu bar", kit::Button::Type::checkbox));
    addRow(std::make_unique<kit::Button>("Clear", kit::Button::Type::push));
    auto popUp = std::make_unique<kit::PopUpButton>();
    popUp->addItem("Menu bar");
    addRow(std::move(popUp));
    grid.setFrame({{0, 0}, grid.fittingSize()});
    grid.layout();
    for (auto [title, control] : rows) {
        double titleLine = title->frame().minY() + *title->firstBaselineOffsetFromTop();
        double controlLine = control->frame().minY() + *control->firstBaselineOffsetFromTop();
        EXPECT_NEAR(titleLine, controlLine, 0.01) << control->accessibilityRole();
    }
}

}  // namespace
