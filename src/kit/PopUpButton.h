#pragma once

// A choice among a few items: shows the chosen one with a double chevron,
// and on a click pops its menu up over itself. Choosing an item (even the
// one already chosen) selects it and sends the action.

#include <functional>
#include <string>

#include "kit/Control.h"
#include "kit/Menu.h"
#include "platform/PropertyValue.h"

namespace kit {

class TextLayout;

class PopUpButton : public Control {
public:
    // Shows the menu and answers the chosen item, null when dismissed.
    using MenuPresenter = std::function<MenuItem*(Menu&)>;

    PopUpButton();

    Menu& menu() { return menu_; }
    const Menu& menu() const { return menu_; }
    // The first item added to an empty pop-up is selected.
    MenuItem& addItem(std::string title);
    MenuItem* itemAt(int index) const;
    MenuItem* lastItem() const;
    int numberOfItems() const { return static_cast<int>(menu_.items().size()); }
    void removeAllItems();

    // −1 when nothing is selected.
    int indexOfSelectedItem() const;
    MenuItem* selectedItem() const;
    std::string titleOfSelectedItem() const;
    // Out of range selects nothing. The selected item carries the on state,
    // so the open menu marks it.
    void selectItem(int index);
    // False, changing nothing, when no item represents `value`.
    bool selectItemWithRepresentedObject(const platform::PropertyValue& value);

    // Null restores the real pop-up menu.
    void setMenuPresenter(MenuPresenter presenter) { presenter_ = std::move(presenter); }
    bool isHighlighted() const { return highlighted_; }

    void draw(GraphicsContext& context) override;
    Size intrinsicContentSize() const override;
    std::optional<double> firstBaselineOffsetFromTop() const override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    MenuItem* presentMenu();
    double contentWidth(const MenuItem& item) const;
    Rect faceRect() const;
    Rect imageRect() const;
    Rect titleRect() const;
    Rect chevronRect() const;
    TextLayout titleLayout() const;
    double titleTop(const TextLayout& layout) const;
    Color contentColor() const;
    void drawSelectedImage(GraphicsContext& context) const;
    void drawChevrons(GraphicsContext& context) const;

    Menu menu_;
    int selectedIndex_ = -1;
    MenuPresenter presenter_;
    bool highlighted_ = false;
};

}  // namespace kit
