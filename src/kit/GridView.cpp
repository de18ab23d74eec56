#include "kit/GridView.h"

#include <algorithm>
#include <numeric>

#include "kit/StackView.h"

namespace kit {

namespace {

std::vector<const View*> presentCells(const std::vector<View*>& cells) {
    std::vector<const View*> present;
    for (const View* cell : cells) {
        if (cell) present.push_back(cell);
    }
    return present;
}

double sumWithSpacing(const std::vector<double>& lengths, double spacing) {
    if (lengths.empty()) return 0;
    return std::accumulate(lengths.begin(), lengths.end(), 0.0) +
           spacing * double(lengths.size() - 1);
}

}  // namespace

struct GridView::RowMetrics {
    double top = 0;
    double height = 0;
    // Present when the row stands on its cells' first baselines.
    std::optional<BaselineLine> line;
};

struct GridView::Metrics {
    std::vector<double> columnWidths;
    std::vector<RowMetrics> rows;
    double height = 0;
};

View* GridRow::cell(int column) const {
    if (column < 0 || column >= numberOfCells()) return nullptr;
    return cells_[column];
}

GridRow& GridView::addRow(std::vector<std::unique_ptr<View>> cells) {
    std::vector<View*> placed;
    for (auto& cell : cells) placed.push_back(cell ? &addSubview(std::move(cell)) : nullptr);
    while (columns_.size() < placed.size()) columns_.emplace_back();
    return rows_.emplace_back(std::move(placed));
}

bool GridView::standsOnBaseline(const GridRow& row) const {
    return row.rowAlignment().value_or(rowAlignment_) == GridRowAlignment::firstBaseline;
}

std::vector<double> GridView::columnWidths() const {
    std::vector<double> widths(columns_.size(), 0);
    for (const GridRow& row : rows_) {
        for (int column = 0; column < row.numberOfCells(); ++column) {
            if (const View* cell = row.cell(column))
                widths[column] = std::max(widths[column], cell->fittingSize().width);
        }
    }
    return widths;
}

GridView::RowMetrics GridView::measureRow(const GridRow& row) const {
    auto cells = presentCells(row.cells());
    RowMetrics metrics;
    if (standsOnBaseline(row)) {
        metrics.line = BaselineLine::of(cells);
        metrics.height = metrics.line->height;
        return metrics;
    }
    for (const View* cell : cells)
        metrics.height = std::max(metrics.height, cell->fittingSize().height);
    return metrics;
}

// Paddings sit outside the row: they move it and everything below, but the
// cells are placed in the row's own height.
GridView::Metrics GridView::measure() const {
    Metrics metrics{columnWidths(), {}};
    double y = 0;
    for (const GridRow& row : rows_) {
        if (!metrics.rows.empty()) y += rowSpacing_;
        y += row.topPadding();
        RowMetrics measured = measureRow(row);
        measured.top = y;
        y += measured.height + row.bottomPadding();
        metrics.rows.push_back(measured);
    }
    metrics.height = std::max(0.0, y);
    return metrics;
}

double GridView::cellTop(const View& cell, const GridRow& row, const RowMetrics& metrics) const {
    if (metrics.line) return metrics.top + metrics.line->topOf(cell);
    double free = metrics.height - cell.fittingSize().height;
    switch (row.yPlacement().value_or(yPlacement_)) {
        case GridYPlacement::top:
        case GridYPlacement::fill:
            return metrics.top;
        case GridYPlacement::center:
            return metrics.top + free / 2;
        case GridYPlacement::bottom:
            return metrics.top + free;
    }
    return metrics.top;
}

Rect GridView::cellFrame(const View& cell, int column, double columnX, double columnWidth,
                         const GridRow& row, const RowMetrics& metrics) const {
    Size size = cell.fittingSize();
    Rect frame{columnX, cellTop(cell, row, metrics), size.width, size.height};
    if (!metrics.line && row.yPlacement().value_or(yPlacement_) == GridYPlacement::fill) {
        frame.size.height = metrics.height;
    }
    switch (columns_[column].xPlacement().value_or(xPlacement_)) {
        case GridXPlacement::leading:
            return frame;
        case GridXPlacement::trailing:
            return frame.offsetBy(columnWidth - size.width, 0);
        case GridXPlacement::center:
            return frame.offsetBy((columnWidth - size.width) / 2, 0);
        case GridXPlacement::fill:
            frame.size.width = columnWidth;
            return frame;
    }
    return frame;
}

Size GridView::fittingSize() const {
    if (fixedSize()) return *fixedSize();
    Metrics metrics = measure();
    return {sumWithSpacing(metrics.columnWidths, columnSpacing_), metrics.height};
}

void GridView::layout() {
    Metrics metrics = measure();
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        const GridRow& row = rows_[index];
        double x = 0;
        for (int column = 0; column < numberOfColumns(); ++column) {
            double width = metrics.columnWidths[column];
            if (View* cell = row.cell(column))
                cell->setFrame(cellFrame(*cell, column, x, width, row, metrics.rows[index]));
            x += width + columnSpacing_;
        }
    }
}

std::optional<double> GridView::firstBaselineOffsetFromTop() const {
    if (rows_.empty()) return std::nullopt;
    const GridRow& first = rows_.front();
    RowMetrics metrics = measureRow(first);
    metrics.top = first.topPadding();
    for (const View* cell : presentCells(first.cells())) {
        if (auto baseline = cell->firstBaselineOffsetFromTop())
            return cellTop(*cell, first, metrics) + *baseline;
    }
    return std::nullopt;
}

}  // namespace kit
