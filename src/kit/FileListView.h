#pragma once

// The rows of an open panel: one per entry of the folder on show. Entries
// that can be neither opened nor chosen are greyed and stay out of the
// selection, whether clicked or reached with the arrow keys. A double click
// asks for the entry to be opened.

#include <functional>
#include <string>
#include <vector>

#include "kit/FolderListing.h"
#include "kit/TableView.h"

namespace kit {

class FileListView : public TableView, private TableViewDataSource, private TableViewDelegate {
public:
    using EntryHandler = std::function<void(const FolderEntry&)>;

    FileListView();
    using TableView::numberOfRows;

    // Shows `entries` with nothing selected; `isEnabled` tells the greyed ones.
    void setEntries(std::vector<FolderEntry> entries,
                    std::function<bool(const FolderEntry&)> isEnabled);
    const std::vector<FolderEntry>& entries() const { return entries_; }
    bool isRowEnabled(int row) const;
    // -1 when no entry has that name.
    int rowNamed(const std::string& name) const;
    // Null when nothing is selected.
    const FolderEntry* selectedEntry() const;
    // False, changing nothing, for a greyed row or one out of range.
    bool selectEnabledRow(int row);

    void setOpenHandler(EntryHandler handler) { open_ = std::move(handler); }
    void setSelectionHandler(std::function<void()> handler) {
        selectionChanged_ = std::move(handler);
    }

    bool acceptsFirstResponder() const override { return true; }
    void mouseDown(const Event& event) override;
    void keyDown(const Event& event) override;

private:
    int numberOfRows(TableView& tableView) override;
    std::unique_ptr<View> viewFor(TableView& tableView, const TableColumn& column,
                                  int row) override;
    void selectionDidChange(TableView& tableView) override;
    void moveSelection(int step);
    void markSelectedRow();

    std::vector<FolderEntry> entries_;
    std::vector<bool> enabled_;
    EntryHandler open_;
    std::function<void()> selectionChanged_;
};

}  // namespace kit
