#pragma once

// Rows of cell views, one per column, built by a delegate; meant as the
// document view of a ScrollView. No header, single selection.
//
// Geometry: rows are rowHeight apart with no gap; a cell fills its column less
// cellInset on each side (so neighbouring cells are 6 pt apart) and the whole
// row height. Columns start at x = 0 in the order they were added; space to
// the right of the last column is plain row background. In a scroll view the
// table is at least as tall as the visible area, so the stripes go on below
// the last row and a click there still reaches the table.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/Color.h"
#include "kit/TableColumn.h"
#include "kit/View.h"

namespace kit {

class ScrollView;
class TableView;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfRows(TableView& tableView) = 0;
};

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    // The cell for `row` in `column`; null leaves that cell empty.
    virtual std::unique_ptr<View> viewFor(TableView& tableView, const TableColumn& column,
                                          int row) = 0;
    virtual void selectionDidChange(TableView&) {}
};

enum class ColumnAutoresizingStyle {
    none,
    // The first column takes whatever width the others leave, so the
    // columns fill the table; never below its minimum width.
    firstColumnOnly,
};

class TableView : public View {
public:
    static constexpr double cellInset = 3;

    TableView();

    // Columns.
    void addTableColumn(TableColumn column);
    const std::vector<TableColumn>& tableColumns() const { return columns_; }
    // Index of the column, -1 when there is none.
    int columnWithIdentifier(const std::string& identifier) const;
    ColumnAutoresizingStyle columnAutoresizingStyle() const { return autoresizingStyle_; }
    void setColumnAutoresizingStyle(ColumnAutoresizingStyle style) { autoresizingStyle_ = style; }

    // Appearance.
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    View* headerView() const { return nullptr; }
    bool usesAlternatingRowBackgroundColors() const { return alternating_; }
    void setUsesAlternatingRowBackgroundColors(bool uses);
    Size intercellSpacing() const { return {2 * cellInset, 0}; }

    // Data. reloadData() drops every cell, asks the data source for the
    // number of rows and the delegate for every cell again. The selected row
    // stays selected while it still exists. The first layout loads the data
    // when nobody did before.
    TableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(TableViewDataSource* dataSource) { dataSource_ = dataSource; }
    TableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }
    void reloadData();
    int numberOfRows() const { return rowCount_; }
    View* viewAt(int column, int row) const;
    // The row whose cell holds `view` (or is it), -1 for a view outside the cells.
    int rowFor(const View& view) const;

    // Selection. Only one row is ever selected; extending a selection
    // replaces it. The delegate hears of every change, however it was made.
    bool allowsMultipleSelection() const { return false; }
    bool allowsEmptySelection() const { return allowsEmptySelection_; }
    void setAllowsEmptySelection(bool allows) { allowsEmptySelection_ = allows; }
    int selectedRow() const { return selectedRow_; }
    // Rows out of range are ignored.
    void selectRow(int row, bool byExtendingSelection = false);
    // Does nothing while empty selection is not allowed.
    void deselectAll();

    // Geometry, in the table's coordinates.
    Rect rectOfRow(int row) const;
    Rect rectOfColumn(int column) const;
    Rect frameOfCell(int column, int row) const;
    // -1 below the last row.
    int rowAtPoint(Point point) const;
    ScrollView* enclosingScrollView() const;
    void scrollRowToVisible(int row);

    void draw(GraphicsContext& context) override;
    void layout() override;
    // Selects the row under the mouse, or clears the selection below the
    // rows. A control in a cell takes its own clicks and the selection stays
    // as it was.
    void mouseDown(const Event& event) override;

private:
    void buildCells();
    void retireCells();
    void tile();
    void fitHeight();
    void resizeColumnsIfWidthChanged();
    void placeCells();
    double columnsWidth() const;
    Rect visibleRect() const;
    bool inAccent(int row) const;
    Color rowBackground(int row) const;
    void setSelectedRow(int row);

    std::vector<TableColumn> columns_;
    ColumnAutoresizingStyle autoresizingStyle_ = ColumnAutoresizingStyle::firstColumnOnly;
    double rowHeight_ = 24;
    bool alternating_ = false;
    bool allowsEmptySelection_ = true;
    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    bool loaded_ = false;
    int rowCount_ = 0;
    int selectedRow_ = -1;
    // cells_[row][column], owned as subviews; null where the delegate gave none.
    std::vector<std::vector<View*>> cells_;
    // The previous reload's cells, kept alive so that a control whose action
    // reloads the table does not vanish while its own code still runs.
    std::vector<std::unique_ptr<View>> retired_;
    // The width the columns were last fitted to.
    double fittedWidth_ = 0;
};

}  // namespace kit
