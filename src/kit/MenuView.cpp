#include "kit/MenuView.h"

#include <algorithm>
#include <cmath>

#include "kit/GraphicsContext.h"
#include "kit/Menu.h"
#include "kit/TextLayout.h"
#include "platform/Unicode.h"

namespace kit {
namespace {

namespace KeyCode {
constexpr std::uint16_t returnKey = 36;
constexpr std::uint16_t space = 49;
constexpr std::uint16_t escape = 53;
constexpr std::uint16_t keypadEnter = 76;
constexpr std::uint16_t leftArrow = 123;
constexpr std::uint16_t rightArrow = 124;
constexpr std::uint16_t downArrow = 125;
constexpr std::uint16_t upArrow = 126;
}  // namespace KeyCode

constexpr double imageGap = 4;
constexpr double keyEquivalentGap = 24;
constexpr double submenuArrowWidth = 14;
constexpr double trailingPadding = 10;
constexpr double minimumWidth = 120;
constexpr double highlightRadius = 4;

const Color menuBackground = Color::rgb(250, 250, 250);
const Color menuBorder = Color::black().withAlpha(0.18);

Font headerFont() {
    return Font::boldSystemFont(Font::smallSystemFontSize);
}

bool impliesShift(const std::string& key) {
    return platform::unicode::lowercased(key) != key && platform::unicode::uppercased(key) == key;
}

// Keys that have no letter of their own show the desktop's symbol for them.
std::string keySymbol(const std::string& key) {
    if (key == "\r" || key == "\n") return "↩";
    if (key == "\x1b") return "⎋";
    if (key == "\t") return "⇥";
    if (key == "\x7f" || key == "\b") return "⌫";
    if (key == " ") return "Space";
    return platform::unicode::uppercased(key);
}

// Modifiers in the desktop's order, then the key: ⌃⌥⇧⌘Q.
std::string keyEquivalentText(const MenuItem& item) {
    const std::string& key = item.keyEquivalent();
    if (key.empty()) return "";
    auto mask = item.keyEquivalentModifierMask();
    std::string text;
    if (mask & KeyModifier::control) text += "⌃";
    if (mask & KeyModifier::option) text += "⌥";
    if ((mask & KeyModifier::shift) || impliesShift(key)) text += "⇧";
    if (mask & KeyModifier::command) text += "⌘";
    return text + keySymbol(key);
}

double rowHeight(const MenuItem& item) {
    return item.isSeparator() ? MenuView::separatorHeight : MenuView::itemHeight;
}

double textWidth(const std::string& text, const Font& font) {
    if (text.empty()) return 0;
    return TextLayout(text, font).size().width;
}

}  // namespace

MenuView::MenuView(Menu& menu, Callbacks callbacks)
    : menu_(menu), callbacks_(std::move(callbacks)) {
    setAccessibilityRole("menu");
    layoutRows();
}

MenuView::~MenuView() = default;

bool MenuView::canHighlight(const MenuItem& item) {
    return item.isEnabled() && !item.isSeparator() && !item.isSectionHeader();
}

bool MenuView::canChoose(const MenuItem& item) {
    return canHighlight(item) && !item.submenu();
}

double MenuView::titleX() const {
    return highlightInset + checkColumnWidth + (hasImages_ ? imageSize + imageGap : 0);
}

// An empty menu would be a bare sliver; it says so with an item that can't
// be chosen.
std::vector<MenuItem*> MenuView::shownItems() {
    if (menu_.items().empty()) {
        if (!emptyPlaceholder_) {
            emptyPlaceholder_ = std::make_unique<MenuItem>(emptyPlaceholderTitle, "", "");
            emptyPlaceholder_->setEnabled(false);
        }
        return {emptyPlaceholder_.get()};
    }
    std::vector<MenuItem*> items;
    for (const auto& owned : menu_.items()) items.push_back(owned.get());
    return items;
}

void MenuView::layoutRows() {
    rows_.clear();
    double titles = 0;
    double keys = 0;
    double y = verticalPadding;
    for (MenuItem* shown : shownItems()) {
        MenuItem& item = *shown;
        Row row{
            &item, {0, y, 0, rowHeight(item)}, item.isSeparator() ? "" : keyEquivalentText(item)};
        y += row.frame.height();
        hasImages_ = hasImages_ || item.image().has_value();
        hasSubmenus_ = hasSubmenus_ || item.submenu();
        titles = std::max(
            titles, textWidth(item.title(), item.isSectionHeader() ? headerFont() : menu_.font()));
        keys = std::max(keys, textWidth(row.keyEquivalentText, menu_.font()));
        rows_.push_back(std::move(row));
    }
    double width = titleX() + titles + (keys > 0 ? keyEquivalentGap + keys : 0) +
                   (hasSubmenus_ ? submenuArrowWidth : 0) + trailingPadding + highlightInset;
    size_ = {std::ceil(std::max(minimumWidth, width)), y + verticalPadding};
    for (auto& row : rows_) row.frame.size.width = size_.width;
}

Size MenuView::fittingSize() const {
    return size_;
}

const MenuView::Row* MenuView::row(const std::string& title) const {
    for (const auto& row : rows_) {
        if (!row.item->isSeparator() && row.item->title() == title) return &row;
    }
    return nullptr;
}

const MenuView::Row* MenuView::row(const MenuItem& item) const {
    for (const auto& row : rows_) {
        if (row.item == &item) return &row;
    }
    return nullptr;
}

MenuItem* MenuView::itemAt(Point point) const {
    for (const auto& row : rows_) {
        if (row.frame.contains(point)) return row.item;
    }
    return nullptr;
}

// Drawing.

void MenuView::draw(GraphicsContext& context) {
    Rect whole = bounds();
    context.fillRoundedRect(whole, cornerRadius, menuBackground);
    context.strokeRoundedRect(whole, cornerRadius, menuBorder, 1);
    for (const auto& row : rows_) drawRow(context, row);
}

void MenuView::drawRow(GraphicsContext& context, const Row& row) const {
    if (row.item->isSeparator()) return drawSeparator(context, row);
    if (row.item->isSectionHeader()) return drawSectionHeader(context, row);
    drawItem(context, row);
}

void MenuView::drawSeparator(GraphicsContext& context, const Row& row) const {
    // On a half point, so the 1-point line covers whole pixels.
    double y = std::floor(row.frame.midY()) + 0.5;
    double inset = highlightInset + 5;
    context.strokeLine({inset, y}, {row.frame.width() - inset, y}, Color::separatorColor(), 1);
}

void MenuView::drawSectionHeader(GraphicsContext& context, const Row& row) const {
    drawTextInRow(context, TextLayout(row.item->title(), headerFont()), row, titleX(),
                  Color::secondaryLabelColor());
}

void MenuView::drawItem(GraphicsContext& context, const Row& row) const {
    const MenuItem& item = *row.item;
    bool highlighted = &item == highlighted_;
    if (highlighted) {
        context.fillRoundedRect(row.frame.insetBy(highlightInset, 0), highlightRadius,
                                Color::controlAccentColor());
    }
    Color text = highlighted        ? Color::white()
                 : item.isEnabled() ? Color::labelColor()
                                    : Color::disabledControlTextColor();
    Color secondary = highlighted || !item.isEnabled() ? text : Color::secondaryLabelColor();

    if (item.state() != ControlState::off) {
        TextLayout mark(item.state() == ControlState::on ? "✓" : "–", menu_.font());
        drawTextInRow(context, mark, row,
                      highlightInset + (checkColumnWidth - mark.size().width) / 2, text);
    }
    if (item.image()) {
        double x = highlightInset + checkColumnWidth;
        Rect frame{x, row.frame.midY() - imageSize / 2, imageSize, imageSize};
        context.drawImage(*item.image(), frame, text);
    }
    drawTextInRow(context, TextLayout(item.title(), menu_.font()), row, titleX(), text);

    double trailing = row.frame.width() - highlightInset - trailingPadding;
    if (item.submenu()) {
        TextLayout arrow("›", menu_.font());
        drawTextInRow(context, arrow, row, trailing - arrow.size().width + 4, text);
        trailing -= submenuArrowWidth;
    }
    if (!row.keyEquivalentText.empty()) {
        TextLayout key(row.keyEquivalentText, menu_.font());
        drawTextInRow(context, key, row, trailing - key.size().width, secondary);
    }
}

void MenuView::drawTextInRow(GraphicsContext& context, const TextLayout& layout, const Row& row,
                             double x, Color color) const {
    double y = row.frame.minY() + std::round((row.frame.height() - layout.size().height) / 2);
    context.drawText(layout, {x, y}, color);
}

// Highlight.

void MenuView::highlight(MenuItem* item) {
    if (item && !canHighlight(*item)) item = nullptr;
    if (item != highlighted_) {
        highlighted_ = item;
        setNeedsDisplay();
    }
    if (callbacks_.highlighted) callbacks_.highlighted(item);
}

void MenuView::highlightFirst() {
    highlighted_ = nullptr;
    moveHighlight(1);
}

// Steps over whatever cannot be highlighted and stops at the ends.
void MenuView::moveHighlight(int step) {
    std::vector<MenuItem*> candidates;
    for (const auto& row : rows_) {
        if (canHighlight(*row.item)) candidates.push_back(row.item);
    }
    if (candidates.empty()) return;
    auto current = std::find(candidates.begin(), candidates.end(), highlighted_);
    if (current == candidates.end())
        return highlight(step > 0 ? candidates.front() : candidates.back());
    auto index =
        std::clamp<long>(current - candidates.begin() + step, 0, long(candidates.size()) - 1);
    highlight(candidates[std::size_t(index)]);
}

void MenuView::hover(Point point) {
    if (!bounds().contains(point)) {
        // On the way to an open submenu the pointer leaves the menu; the
        // submenu stays.
        if (highlighted_ && highlighted_->submenu()) return;
        return highlight(nullptr);
    }
    highlight(itemAt(point));
}

// Events.

// A menu holds the pointer while it is open: a press anywhere, outside the
// menu too, is its own.
View* MenuView::hitTest(Point) {
    return isHidden() ? nullptr : this;
}

void MenuView::mouseDown(const Event& event) {
    Point point = convertFromWindow(event.locationInWindow);
    if (!bounds().contains(point)) {
        if (callbacks_.dismiss) callbacks_.dismiss();
        return;
    }
    highlight(itemAt(point));
}

void MenuView::mouseDragged(const Event& event) {
    hover(convertFromWindow(event.locationInWindow));
}

void MenuView::mouseUp(const Event& event) {
    Point point = convertFromWindow(event.locationInWindow);
    if (!bounds().contains(point)) return;
    MenuItem* item = itemAt(point);
    if (!item || !canChoose(*item) || !callbacks_.choose) return;
    callbacks_.choose(*item);
}

void MenuView::keyDown(const Event& event) {
    switch (event.keyCode) {
        case KeyCode::escape:
            if (callbacks_.dismiss) callbacks_.dismiss();
            return;
        case KeyCode::downArrow:
            return moveHighlight(1);
        case KeyCode::upArrow:
            return moveHighlight(-1);
        case KeyCode::returnKey:
        case KeyCode::keypadEnter:
        case KeyCode::space:
            return chooseHighlighted();
        case KeyCode::rightArrow:
            if (highlighted_ && highlighted_->submenu() && callbacks_.enterSubmenu) {
                callbacks_.enterSubmenu(*highlighted_);
            }
            return;
        case KeyCode::leftArrow:
            if (callbacks_.leaveSubmenu) callbacks_.leaveSubmenu();
            return;
        default:
            return;
    }
}

void MenuView::chooseHighlighted() {
    if (!highlighted_) {
        if (callbacks_.dismiss) callbacks_.dismiss();
        return;
    }
    if (highlighted_->submenu()) {
        if (callbacks_.enterSubmenu) callbacks_.enterSubmenu(*highlighted_);
        return;
    }
    if (callbacks_.choose) callbacks_.choose(*highlighted_);
}

// The menu's own key equivalents still work while it is open; nothing else
// reaches the main menu behind it.
bool MenuView::performKeyEquivalent(const Event& event) {
    auto* item = menu_.itemForKeyEquivalent(event.charactersIgnoringModifiers,
                                            event.deviceIndependentModifiers());
    if (item && canChoose(*item) && callbacks_.choose) callbacks_.choose(*item);
    return true;
}

}  // namespace kit
