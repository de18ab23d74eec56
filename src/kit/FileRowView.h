#pragma once

// One entry of an open panel's list: a small icon (an application's own icon
// for bundles and desktop entries, a folder or a page otherwise) and the name, greyed when the
// entry cannot be chosen and white on the selection of the key window.

#include <optional>

#include "kit/FolderListing.h"
#include "kit/Image.h"
#include "kit/View.h"

namespace kit {

class Label;

class FileRowView : public View {
public:
    static constexpr double iconSide = 16;

    FileRowView(const FolderEntry& entry, bool enabled);

    // A folder icon for menus and pop-ups.
    static Image folderIcon();

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    void draw(GraphicsContext& context) override;
    void layout() override;

private:
    Rect iconRect() const;
    void drawApplicationIcon(GraphicsContext& context, const Image& icon) const;
    void updateNameColor();

    // Bundles and desktop entries: the desktop's icon for them, looked up
    // when the row is first drawn (a long list draws only the rows in view).
    const std::optional<Image>& applicationIcon();

    FolderEntry entry_;
    std::optional<std::optional<Image>> applicationIcon_;
    bool enabled_;
    bool selected_ = false;
    Label* name_ = nullptr;
};

}  // namespace kit
