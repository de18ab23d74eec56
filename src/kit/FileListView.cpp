#include "kit/FileListView.h"

#include <algorithm>
#include <cstdint>

#include "kit/FileRowView.h"
#include "kit/Window.h"

namespace kit {
namespace {

constexpr double entryRowHeight = 22;
constexpr const char* nameColumn = "name";

namespace KeyCode {
constexpr std::uint16_t downArrow = 125;
constexpr std::uint16_t upArrow = 126;
}  // namespace KeyCode

}  // namespace

FileListView::FileListView() {
    setRowHeight(entryRowHeight);
    setUsesAlternatingRowBackgroundColors(true);
    TableColumn column(nameColumn, 200, 100);
    column.setTitle("Name");
    addTableColumn(std::move(column));
    setDataSource(this);
    setDelegate(this);
    setAccessibilityLabel("Files");
}

void FileListView::setEntries(std::vector<FolderEntry> entries,
                              std::function<bool(const FolderEntry&)> isEnabled) {
    entries_ = std::move(entries);
    enabled_.clear();
    for (const auto& entry : entries_) enabled_.push_back(isEnabled(entry));
    deselectAll();
    reloadData();
    scrollRowToVisible(0);
}

bool FileListView::isRowEnabled(int row) const {
    return row >= 0 && row < static_cast<int>(enabled_.size()) && enabled_[row];
}

int FileListView::rowNamed(const std::string& name) const {
    auto found = std::ranges::find(entries_, name, &FolderEntry::name);
    return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

const FolderEntry* FileListView::selectedEntry() const {
    int row = selectedRow();
    return row >= 0 && row < static_cast<int>(entries_.size()) ? &entries_[row] : nullptr;
}

bool FileListView::selectEnabledRow(int row) {
    if (!isRowEnabled(row)) return false;
    selectRow(row);
    scrollRowToVisible(row);
    return true;
}

// A click on a greyed entry changes nothing; a click below the rows clears
// the selection, as in any table.
void FileListView::mouseDown(const Event& event) {
    if (Window* owner = window()) owner->makeFirstResponder(this);
    int row = rowAtPoint(convertFromWindow(event.locationInWindow));
    if (row >= 0 && !isRowEnabled(row)) return;
    TableView::mouseDown(event);
    if (row < 0 || event.clickCount < 2 || !open_) return;
    // Opening replaces the rows, this entry's among them.
    FolderEntry entry = entries_[row];
    open_(entry);
}

void FileListView::keyDown(const Event& event) {
    if (event.deviceIndependentModifiers() != 0) return TableView::keyDown(event);
    if (event.keyCode == KeyCode::downArrow) return moveSelection(1);
    if (event.keyCode == KeyCode::upArrow) return moveSelection(-1);
    TableView::keyDown(event);
}

// To the next entry that can be selected; from nothing, Down starts at the
// top and Up at the bottom.
void FileListView::moveSelection(int step) {
    int count = static_cast<int>(entries_.size());
    int row = selectedRow();
    if (row < 0) row = step > 0 ? -1 : count;
    for (row += step; row >= 0 && row < count; row += step) {
        if (selectEnabledRow(row)) return;
    }
}

int FileListView::numberOfRows(TableView&) {
    return static_cast<int>(entries_.size());
}

std::unique_ptr<View> FileListView::viewFor(TableView&, const TableColumn&, int row) {
    auto cell = std::make_unique<FileRowView>(entries_[row], isRowEnabled(row));
    cell->setSelected(row == selectedRow());
    return cell;
}

void FileListView::selectionDidChange(TableView&) {
    markSelectedRow();
    if (selectionChanged_) selectionChanged_();
}

void FileListView::markSelectedRow() {
    for (int row = 0; row < numberOfRows(); ++row) {
        if (auto* cell = dynamic_cast<FileRowView*>(viewAt(0, row))) {
            cell->setSelected(row == selectedRow());
        }
    }
}

}  // namespace kit
