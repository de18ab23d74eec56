#include "kit/TableView.h"

#include <algorithm>
#include <cmath>

#include "kit/GraphicsContext.h"
#include "kit/ScrollView.h"
#include "kit/Window.h"

namespace kit {
namespace {

// A selection in a window that is not key is grey, so the eye finds the
// window that takes the keys.
constexpr Color unemphasizedSelectionColor = Color::rgb(220, 220, 220);

}  // namespace

TableView::TableView() {
    setAccessibilityRole("table");
}

void TableView::addTableColumn(TableColumn column) {
    columns_.push_back(std::move(column));
    // New cells are needed, and the columns are fitted afresh.
    loaded_ = false;
    fittedWidth_ = 0;
}

int TableView::columnWithIdentifier(const std::string& identifier) const {
    auto found = std::ranges::find(columns_, identifier, &TableColumn::identifier);
    return found == columns_.end() ? -1 : static_cast<int>(found - columns_.begin());
}

void TableView::setRowHeight(double height) {
    rowHeight_ = height;
    tile();
}

void TableView::setUsesAlternatingRowBackgroundColors(bool uses) {
    alternating_ = uses;
    setNeedsDisplay();
}

void TableView::reloadData() {
    loaded_ = true;
    retireCells();
    rowCount_ = dataSource_ ? std::max(0, dataSource_->numberOfRows(*this)) : 0;
    buildCells();
    tile();
    if (selectedRow_ >= rowCount_) setSelectedRow(allowsEmptySelection_ ? -1 : rowCount_ - 1);
}

View* TableView::viewAt(int column, int row) const {
    if (row < 0 || row >= static_cast<int>(cells_.size())) return nullptr;
    const auto& cells = cells_[row];
    if (column < 0 || column >= static_cast<int>(cells.size())) return nullptr;
    return cells[column];
}

int TableView::rowFor(const View& view) const {
    const View* cell = &view;
    while (cell && cell->superview() != this) cell = cell->superview();
    if (!cell) return -1;
    for (int row = 0; row < static_cast<int>(cells_.size()); ++row) {
        if (std::ranges::find(cells_[row], cell) != cells_[row].end()) return row;
    }
    return -1;
}

void TableView::selectRow(int row, bool byExtendingSelection) {
    (void)byExtendingSelection;  // one row at most: extending is replacing
    if (row < 0 || row >= rowCount_) return;
    setSelectedRow(row);
}

void TableView::deselectAll() {
    if (allowsEmptySelection_) setSelectedRow(-1);
}

Rect TableView::rectOfRow(int row) const {
    return {0, row * rowHeight_, bounds().width(), rowHeight_};
}

Rect TableView::rectOfColumn(int column) const {
    if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
    double x = 0;
    for (int index = 0; index < column; ++index) x += columns_[index].width();
    return {x, 0, columns_[column].width(), bounds().height()};
}

Rect TableView::frameOfCell(int column, int row) const {
    Rect columnRect = rectOfColumn(column);
    return Rect{columnRect.minX(), row * rowHeight_, columnRect.width(), rowHeight_}.insetBy(
        cellInset, 0);
}

int TableView::rowAtPoint(Point point) const {
    if (point.y < 0 || rowHeight_ <= 0) return -1;
    int row = static_cast<int>(point.y / rowHeight_);
    return row < rowCount_ ? row : -1;
}

ScrollView* TableView::enclosingScrollView() const {
    for (View* view = superview(); view; view = view->superview()) {
        if (auto* scrollView = dynamic_cast<ScrollView*>(view)) return scrollView;
    }
    return nullptr;
}

void TableView::scrollRowToVisible(int row) {
    if (row < 0 || row >= rowCount_) return;
    if (auto* scrollView = enclosingScrollView()) scrollView->scrollRectToVisible(rectOfRow(row));
}

// Stripes for every row in sight, including the empty ones below the data.
void TableView::draw(GraphicsContext& context) {
    if (rowHeight_ <= 0) return;
    // Drawn before the cells: they learn whether their row is in the accent.
    for (int row = 0; row < static_cast<int>(cells_.size()); ++row) {
        auto style = inAccent(row) ? BackgroundStyle::emphasized : BackgroundStyle::normal;
        for (View* cell : cells_[row]) {
            if (cell) cell->setBackgroundStyle(style);
        }
    }
    Rect visible = visibleRect();
    int first = static_cast<int>(std::floor(visible.minY() / rowHeight_));
    int last = static_cast<int>(std::ceil(visible.maxY() / rowHeight_));
    for (int row = std::max(0, first); row < last; ++row) {
        context.fillRect(rectOfRow(row), rowBackground(row));
    }
}

void TableView::layout() {
    if (!loaded_) return reloadData();
    tile();
}

void TableView::mouseDown(const Event& event) {
    int row = rowAtPoint(convertFromWindow(event.locationInWindow));
    if (row >= 0) return selectRow(row);
    deselectAll();
}

void TableView::buildCells() {
    cells_.assign(rowCount_, std::vector<View*>(columns_.size(), nullptr));
    if (!delegate_) return;
    for (int row = 0; row < rowCount_; ++row) {
        for (std::size_t column = 0; column < columns_.size(); ++column) {
            auto cell = delegate_->viewFor(*this, columns_[column], row);
            if (cell) cells_[row][column] = &addSubview(std::move(cell));
        }
    }
}

void TableView::retireCells() {
    retired_.clear();
    for (const auto& row : cells_) {
        for (View* cell : row) {
            if (cell) retired_.push_back(cell->removeFromSuperview());
        }
    }
    cells_.clear();
}

void TableView::tile() {
    fitHeight();
    resizeColumnsIfWidthChanged();
    placeCells();
}

void TableView::fitHeight() {
    double height = rowCount_ * rowHeight_;
    auto* scrollView = enclosingScrollView();
    if (!scrollView || scrollView->documentView() != this)
        return setFrameSize({frame().width(), height});
    setFrameSize({frame().width(), std::max(height, scrollView->contentSize().height)});
    // Fewer rows may leave the old offset past the end.
    scrollView->scrollTo(scrollView->verticalScrollOffset());
}

// The first fitting keeps the columns as they were given; from then on the
// room beside them stays the same and the first column absorbs the rest.
void TableView::resizeColumnsIfWidthChanged() {
    double width = bounds().width();
    if (width <= 0 || columns_.empty() || width == fittedWidth_) return;
    fittedWidth_ = width;
    if (autoresizingStyle_ != ColumnAutoresizingStyle::firstColumnOnly) return;
    double others = columnsWidth() - columns_.front().width();
    columns_.front().setWidth(width - others);
}

void TableView::placeCells() {
    for (int row = 0; row < static_cast<int>(cells_.size()); ++row) {
        for (std::size_t column = 0; column < cells_[row].size(); ++column) {
            if (View* cell = cells_[row][column])
                cell->setFrame(frameOfCell(static_cast<int>(column), row));
        }
    }
}

double TableView::columnsWidth() const {
    double width = 0;
    for (const auto& column : columns_) width += column.width();
    return width;
}

// The part of the table its superview shows (the clip area of a scroll view).
Rect TableView::visibleRect() const {
    if (!superview()) return bounds();
    Rect shown{{-frame().minX(), -frame().minY()}, superview()->bounds().size};
    return bounds().intersection(shown);
}

// The selection shows in the accent colour while the window is key.
bool TableView::inAccent(int row) const {
    auto* owner = window();
    return row == selectedRow_ && owner && owner->isKeyWindow();
}

Color TableView::rowBackground(int row) const {
    if (row == selectedRow_) {
        return inAccent(row) ? Color::selectedContentBackgroundColor() : unemphasizedSelectionColor;
    }
    if (alternating_ && row % 2 == 1) return Color::alternatingContentBackgroundColor();
    return Color::controlBackgroundColor();
}

void TableView::setSelectedRow(int row) {
    if (row == selectedRow_) return;
    selectedRow_ = row;
    setNeedsDisplay();
    if (delegate_) delegate_->selectionDidChange(*this);
}

}  // namespace kit
