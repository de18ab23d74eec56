#pragma once

// The inside of an open pop-up menu: its rows laid out and drawn like the
// desktop's menus, a highlight that follows the pointer and the arrow keys,
// and the choice or dismissal reported to whoever tracks the menu.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kit/Color.h"
#include "kit/View.h"

namespace kit {

class Menu;
class MenuItem;
class TextLayout;

class MenuView : public View {
public:
    static constexpr double itemHeight = 22;
    static constexpr double separatorHeight = 11;
    static constexpr double verticalPadding = 5;
    static constexpr double cornerRadius = 6;
    // The highlight stands this far in from the menu's sides.
    static constexpr double highlightInset = 5;
    static constexpr double checkColumnWidth = 20;
    static constexpr double imageSize = 16;
    // The disabled item an empty menu shows.
    static constexpr const char* emptyPlaceholderTitle = "None";

    struct Row {
        MenuItem* item = nullptr;
        Rect frame;                     // the whole width of the menu
        std::string keyEquivalentText;  // as shown, e.g. "⇧⌘N"
    };

    // What the tracking side hears.
    struct Callbacks {
        std::function<void(MenuItem&)> choose;
        // Escape, or a press outside the menu.
        std::function<void()> dismiss;
        // The pointer or a key put the highlight here (null: nowhere); also
        // when it was there already, so a closed submenu opens again.
        std::function<void(MenuItem*)> highlighted;
        // Right arrow or Return on an item with a submenu: go into it.
        std::function<void(MenuItem&)> enterSubmenu;
        // Left arrow: back out to the menu this one came from.
        std::function<void()> leaveSubmenu;
    };

    MenuView(Menu& menu, Callbacks callbacks);
    ~MenuView() override;

    Menu& menu() const { return menu_; }
    const std::vector<Row>& rows() const { return rows_; }
    // The row of the first item with this title; null when there is none.
    const Row* row(const std::string& title) const;
    const Row* row(const MenuItem& item) const;

    MenuItem* highlightedItem() const { return highlighted_; }
    // Moves the highlight and tells the callbacks; items that cannot be
    // highlighted clear it.
    void highlight(MenuItem* item);
    // Highlights the first item that can be, as the arrow keys would.
    void highlightFirst();
    // The pointer is over `point` (in the view) with no button down.
    void hover(Point point);

    Size fittingSize() const override;
    void draw(GraphicsContext& context) override;

    View* hitTest(Point pointInSuperview) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    void keyDown(const Event& event) override;
    bool performKeyEquivalent(const Event& event) override;
    bool acceptsFirstResponder() const override { return true; }

    // Enabled items, not separators or headers: what the pointer and the
    // arrow keys can rest on.
    static bool canHighlight(const MenuItem& item);
    // What choosing ends the menu with: highlightable and without a submenu.
    static bool canChoose(const MenuItem& item);

private:
    std::vector<MenuItem*> shownItems();
    void layoutRows();
    double titleX() const;
    MenuItem* itemAt(Point point) const;
    void moveHighlight(int step);
    void chooseHighlighted();
    void drawRow(GraphicsContext& context, const Row& row) const;
    void drawItem(GraphicsContext& context, const Row& row) const;
    void drawSeparator(GraphicsContext& context, const Row& row) const;
    void drawSectionHeader(GraphicsContext& context, const Row& row) const;
    void drawTextInRow(GraphicsContext& context, const TextLayout& layout, const Row& row, double x,
                       Color color) const;

    Menu& menu_;
    Callbacks callbacks_;
    std::vector<Row> rows_;
    Size size_;
    bool hasImages_ = false;
    bool hasSubmenus_ = false;
    MenuItem* highlighted_ = nullptr;
    std::unique_ptr<MenuItem> emptyPlaceholder_;
};

}  // namespace kit
