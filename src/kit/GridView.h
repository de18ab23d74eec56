#pragma once

// Rows and columns of views, as a settings window lays out its labelled
// rows: titles in one column, controls in the next. Columns are as wide as
// their widest cell, rows as high as their cells (or their cells standing on
// one baseline). Cells keep their fitting sizes unless placed to fill; a
// hidden cell view still takes its room. Cell views stay in the grid for as
// long as it lives.

#include <concepts>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "kit/View.h"

namespace kit {

enum class GridXPlacement { leading, trailing, center, fill };
enum class GridYPlacement { top, center, bottom, fill };
// Whether a row lines its cells up on their first baselines.
enum class GridRowAlignment { none, firstBaseline };

class GridColumn {
public:
    // Absent: the grid's placement.
    std::optional<GridXPlacement> xPlacement() const { return xPlacement_; }
    void setXPlacement(GridXPlacement placement) { xPlacement_ = placement; }

private:
    std::optional<GridXPlacement> xPlacement_;
};

class GridRow {
public:
    explicit GridRow(std::vector<View*> cells) : cells_(std::move(cells)) {}

    // Null for an empty cell, or past the row's last cell.
    View* cell(int column) const;
    const std::vector<View*>& cells() const { return cells_; }
    int numberOfCells() const { return static_cast<int>(cells_.size()); }

    // Absent: the grid's choice.
    std::optional<GridYPlacement> yPlacement() const { return yPlacement_; }
    void setYPlacement(GridYPlacement placement) { yPlacement_ = placement; }
    std::optional<GridRowAlignment> rowAlignment() const { return rowAlignment_; }
    void setRowAlignment(GridRowAlignment alignment) { rowAlignment_ = alignment; }

    // Extra room above and below the row; negative pulls the neighbour closer.
    double topPadding() const { return topPadding_; }
    void setTopPadding(double padding) { topPadding_ = padding; }
    double bottomPadding() const { return bottomPadding_; }
    void setBottomPadding(double padding) { bottomPadding_ = padding; }

private:
    std::vector<View*> cells_;
    std::optional<GridYPlacement> yPlacement_;
    std::optional<GridRowAlignment> rowAlignment_;
    double topPadding_ = 0;
    double bottomPadding_ = 0;
};

// A view handed over to its new owner, or nullptr.
template <typename T>
concept OwnedViewOrNull = std::constructible_from<std::unique_ptr<View>, T &&>;

class GridView : public View {
public:
    // Null views are empty cells; a row shorter than the widest ends in empty cells.
    GridRow& addRow(std::vector<std::unique_ptr<View>> cells);
    // The same, cell by cell: addRow(std::move(title), std::move(control)) or addRow(nullptr, ...).
    template <OwnedViewOrNull... Cells>
    GridRow& addRow(Cells&&... cells) {
        std::vector<std::unique_ptr<View>> row;
        row.reserve(sizeof...(Cells));
        (row.emplace_back(std::forward<Cells>(cells)), ...);
        return addRow(std::move(row));
    }

    int numberOfRows() const { return static_cast<int>(rows_.size()); }
    int numberOfColumns() const { return static_cast<int>(columns_.size()); }
    GridRow& row(int index) { return rows_.at(index); }
    const GridRow& row(int index) const { return rows_.at(index); }
    GridColumn& column(int index) { return columns_.at(index); }
    const GridColumn& column(int index) const { return columns_.at(index); }
    View* cell(int row, int column) const { return rows_.at(row).cell(column); }

    double rowSpacing() const { return rowSpacing_; }
    void setRowSpacing(double spacing) { rowSpacing_ = spacing; }
    double columnSpacing() const { return columnSpacing_; }
    void setColumnSpacing(double spacing) { columnSpacing_ = spacing; }

    // What rows and columns use unless they say otherwise.
    GridXPlacement xPlacement() const { return xPlacement_; }
    void setXPlacement(GridXPlacement placement) { xPlacement_ = placement; }
    GridYPlacement yPlacement() const { return yPlacement_; }
    void setYPlacement(GridYPlacement placement) { yPlacement_ = placement; }
    GridRowAlignment rowAlignment() const { return rowAlignment_; }
    void setRowAlignment(GridRowAlignment alignment) { rowAlignment_ = alignment; }

    Size fittingSize() const override;
    // Places every cell; the cells lay out their own contents.
    void layout() override;
    // The first row's baseline.
    std::optional<double> firstBaselineOffsetFromTop() const override;

private:
    struct RowMetrics;
    struct Metrics;

    Metrics measure() const;
    std::vector<double> columnWidths() const;
    RowMetrics measureRow(const GridRow& row) const;
    bool standsOnBaseline(const GridRow& row) const;
    double cellTop(const View& cell, const GridRow& row, const RowMetrics& metrics) const;
    Rect cellFrame(const View& cell, int column, double columnX, double columnWidth,
                   const GridRow& row, const RowMetrics& metrics) const;

    std::deque<GridRow> rows_;
    std::deque<GridColumn> columns_;
    double rowSpacing_ = 0;
    double columnSpacing_ = 0;
    GridXPlacement xPlacement_ = GridXPlacement::leading;
    GridYPlacement yPlacement_ = GridYPlacement::top;
    GridRowAlignment rowAlignment_ = GridRowAlignment::none;
};

}  // namespace kit
