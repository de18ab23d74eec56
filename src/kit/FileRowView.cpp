#include "kit/FileRowView.h"

#include <cmath>

#include "kit/GraphicsContext.h"
#include "kit/Image.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace kit {
namespace {

constexpr double iconToName = 6;
constexpr double disabledIconAlpha = 0.45;

constexpr Color folderBack = Color::rgb(84, 167, 232);
constexpr Color folderFront = Color::rgb(122, 194, 247);
constexpr Color pageFace = Color::rgb(255, 255, 255);
constexpr Color pageEdge = Color::rgb(170, 170, 170);

Color faded(Color color, bool enabled) {
    return enabled ? color : color.withAlpha(color.alpha * disabledIconAlpha);
}

// A tabbed folder seen from the front, in the desktop's light blue.
void drawFolder(GraphicsContext& context, const Rect& rect, bool enabled) {
    Rect back{rect.minX() + 0.5, rect.minY() + 2.5, rect.width() - 1, rect.height() - 4};
    Rect tab{back.minX(), back.minY() - 1, 6.5, 3};
    Rect front{back.minX(), back.minY() + 2.5, back.width(), back.height() - 2.5};
    context.fillRoundedRect(tab, 1, faded(folderBack, enabled));
    context.fillRoundedRect(back, 1.5, faded(folderBack, enabled));
    context.fillRoundedRect(front, 1.5, faded(folderFront, enabled));
}

// A sheet of paper with its top-right corner turned down.
void drawPage(GraphicsContext& context, const Rect& rect, bool enabled) {
    constexpr double fold = 4;
    Rect sheet{rect.minX() + 2.5, rect.minY() + 0.5, rect.width() - 5, rect.height() - 1};
    context.fillRoundedRect(sheet, 1, faded(pageFace, enabled));
    context.strokeRoundedRect(sheet, 1, faded(pageEdge, enabled), 1);
    Point corner{sheet.maxX() - fold, sheet.minY() + 0.5};
    context.strokeLine(corner, {corner.x, corner.y + fold}, faded(pageEdge, enabled), 1);
    context.strokeLine({corner.x, corner.y + fold}, {sheet.maxX() - 0.5, corner.y + fold},
                       faded(pageEdge, enabled), 1);
}

bool isDesktopEntry(const FolderEntry& entry) {
    return entry.kind == FolderEntry::Kind::file && entry.name.ends_with(".desktop");
}

// Applications without an icon of their own get the generic one, not a page.
std::optional<Image> applicationIconOf(const FolderEntry& entry) {
    if (entry.kind != FolderEntry::Kind::package && !isDesktopEntry(entry)) return std::nullopt;
    return Image::applicationIcon(entry.path).value_or(Image::genericApplicationIcon());
}

}  // namespace

FileRowView::FileRowView(const FolderEntry& entry, bool enabled)
    : entry_(entry), enabled_(enabled) {
    setIdentifier(entry.name);
    auto name = std::make_unique<Label>(entry.name);
    name->setLineBreakTruncatingTail();
    name->setEnabled(enabled);
    name_ = &addSubview(std::move(name));
}

Image FileRowView::folderIcon() {
    constexpr double scale = 2;
    static const Image icon = [] {
        Bitmap bitmap(static_cast<int>(iconSide * scale), static_cast<int>(iconSide * scale));
        GraphicsContext context(bitmap, scale);
        drawFolder(context, {0, 0, iconSide, iconSide}, true);
        return Image::fromBitmap(std::move(bitmap), {iconSide, iconSide});
    }();
    return icon;
}

void FileRowView::setSelected(bool selected) {
    selected_ = selected;
    setNeedsDisplay();
}

Rect FileRowView::iconRect() const {
    return {0, std::round((bounds().height() - iconSide) / 2), iconSide, iconSide};
}

void FileRowView::layout() {
    double left = iconRect().maxX() + iconToName;
    double height = name_->fittingSize().height;
    name_->setFrame({left, std::round((bounds().height() - height) / 2),
                     std::max(0.0, bounds().width() - left), height});
}

// The name turns white only on the key window's blue selection; the grey
// one of a window in the background keeps dark text.
void FileRowView::updateNameColor() {
    Window* owner = window();
    bool onBlue = selected_ && owner && owner->isKeyWindow();
    Color color = onBlue ? Color::white() : Color::labelColor();
    if (name_->textColor() != color) name_->setTextColor(color);
}

const std::optional<Image>& FileRowView::applicationIcon() {
    if (!applicationIcon_) applicationIcon_ = applicationIconOf(entry_);
    return *applicationIcon_;
}

void FileRowView::draw(GraphicsContext& context) {
    updateNameColor();
    if (const auto& icon = applicationIcon()) return drawApplicationIcon(context, *icon);
    Rect icon = iconRect();
    if (entry_.kind == FolderEntry::Kind::folder) return drawFolder(context, icon, enabled_);
    drawPage(context, icon, enabled_);
}

void FileRowView::drawApplicationIcon(GraphicsContext& context, const Image& icon) const {
    context.drawImage(icon, iconRect());
    if (enabled_) return;
    // Faded under a veil of the list's own background.
    context.fillRect(iconRect(), Color::controlBackgroundColor().withAlpha(1 - disabledIconAlpha));
}

}  // namespace kit
