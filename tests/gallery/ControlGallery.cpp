// Renders every control in each of its states to one PNG, for people to
// look at: ControlGallery <output.png>

#include <cstdio>
#include <memory>
#include <optional>

#include "kit/Button.h"
#include "kit/Event.h"
#include "kit/Image.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/SegmentedControl.h"
#include "kit/Window.h"

using namespace kit;

namespace {

constexpr double rowTitleX = 16;
constexpr double controlsX = 130;
constexpr double rowSpacing = 16;
constexpr double controlSpacing = 12;

// Rows of controls, each with a title whose baseline lines up with its
// first control's, as the settings window lays them out.
class Gallery {
public:
    explicit Gallery(Window& window) : window_(window) {}

    void row(const char* title) {
        top_ = bottom_ + rowSpacing;
        bottom_ = top_;
        x_ = controlsX;
        rowTitle_ = &place(std::make_unique<Label>(title), {rowTitleX, top_});
        rowTitle_->setTextColor(Color::secondaryLabelColor());
        titleAligned_ = false;
    }

    template <typename T>
    T& add(std::unique_ptr<T> view) {
        T& added = place(std::move(view), {x_, top_});
        x_ = added.frame().maxX() + controlSpacing;
        if (!titleAligned_ && added.firstBaselineOffsetFromTop()) {
            double offset =
                *added.firstBaselineOffsetFromTop() - *rowTitle_->firstBaselineOffsetFromTop();
            rowTitle_->setFrameOrigin({rowTitleX, top_ + offset});
            titleAligned_ = true;
        }
        return added;
    }

    // Holds the mouse down on a control so it shows its pressed look.
    void press(View& view, Point local = {4, 4}) {
        window_.sendEvent(Event::mouse(Event::Type::leftMouseDown, view.convertToWindow(local)));
    }

private:
    template <typename T>
    T& place(std::unique_ptr<T> view, Point origin) {
        Size size = view->fittingSize();
        T& added = window_.contentView()->addSubview(std::move(view));
        added.setFrame({origin, size});
        bottom_ = std::max(bottom_, added.frame().maxY());
        return added;
    }

    Window& window_;
    Label* rowTitle_ = nullptr;
    bool titleAligned_ = false;
    double x_ = controlsX;
    double top_ = 0;
    double bottom_ = 0;
};

std::unique_ptr<Button> button(const char* title, ControlSize size = ControlSize::regular) {
    auto button = std::make_unique<Button>(title);
    button->setControlSize(size);
    return button;
}

std::unique_ptr<Button> checkbox(const char* title, ControlState state,
                                 ControlSize size = ControlSize::regular) {
    auto box = std::make_unique<Button>(title, Button::Type::checkbox);
    box->setAllowsMixedState(true);
    box->setState(state);
    box->setControlSize(size);
    return box;
}

std::unique_ptr<Button> link(const char* title) {
    auto link = std::make_unique<Button>(title, Button::Type::link);
    link->setContentTintColor(Color::linkColor());
    return link;
}

std::unique_ptr<PopUpButton> popUp(std::initializer_list<const char*> titles,
                                   ControlSize size = ControlSize::regular) {
    auto popUp = std::make_unique<PopUpButton>();
    for (const char* title : titles) popUp->addItem(title);
    popUp->setControlSize(size);
    return popUp;
}

std::unique_ptr<SegmentedControl> addRemove() {
    auto segments = std::make_unique<SegmentedControl>(2);
    segments->setTrackingMode(SegmentedControl::TrackingMode::momentary);
    segments->setImage(Image::symbol("plus", "Add"), 0);
    segments->setImage(Image::symbol("minus", "Remove"), 1);
    return segments;
}

std::unique_ptr<Label> label(const char* text, std::optional<double> wrapWidth = std::nullopt,
                             ControlSize size = ControlSize::regular) {
    auto label = std::make_unique<Label>(text);
    label->setControlSize(size);
    label->setPreferredMaxLayoutWidth(wrapWidth);
    return label;
}

std::unique_ptr<ImageView> imageView(std::optional<Image> image) {
    return std::make_unique<ImageView>(std::move(image));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }
    Window window({760, 440}, WindowStyle::titled | WindowStyle::closable);
    window.setTitle("Controls");
    Gallery gallery(window);

    gallery.row("Push buttons");
    gallery.add(button("OK"));
    gallery.add(button("Choose Application…"));
    auto& pressed = gallery.add(button("Pressed"));
    gallery.add(button("Disabled")).setEnabled(false);
    gallery.add(button("Small", ControlSize::small));
    gallery.add(button("Small disabled", ControlSize::small)).setEnabled(false);

    gallery.row("Checkboxes");
    gallery.add(checkbox("Off", ControlState::off));
    gallery.add(checkbox("On", ControlState::on));
    gallery.add(checkbox("Mixed", ControlState::mixed));
    auto& pressedOff = gallery.add(checkbox("Pressed", ControlState::off));
    auto& pressedOn = gallery.add(checkbox("Pressed", ControlState::on));
    gallery.add(checkbox("Disabled", ControlState::on)).setEnabled(false);
    gallery.add(checkbox("Disabled", ControlState::off)).setEnabled(false);

    gallery.row("Small");
    gallery.add(checkbox("Off", ControlState::off, ControlSize::small));
    gallery.add(checkbox("On", ControlState::on, ControlSize::small));
    gallery.add(checkbox("Mixed", ControlState::mixed, ControlSize::small));

    gallery.row("Links");
    gallery.add(link("tarnwick.app"));
    auto& pressedLink = gallery.add(link("Pressed link"));
    gallery.add(link("Disabled link")).setEnabled(false);

    gallery.row("Pop-up buttons");
    auto withImages = popUp({"Show", "Hide Always"});
    withImages->itemAt(0)->setImage(Image::symbol("eye"));
    withImages->itemAt(1)->setImage(Image::symbol("eye.slash"));
    gallery.add(std::move(withImages));
    auto application = popUp({"Application"});
    application->itemAt(0)->setImage(Image::genericApplicationIcon());
    gallery.add(std::move(application));
    gallery.add(popUp({"Disabled"})).setEnabled(false);
    gallery.add(popUp({"Small", "Smaller"}, ControlSize::small));
    gallery.add(popUp({}));

    gallery.row("Segments");
    gallery.add(addRemove());
    gallery.add(addRemove()).setEnabled(false, 1);
    auto& pressedSegments = gallery.add(addRemove());
    auto selectOne = std::make_unique<SegmentedControl>(3);
    selectOne->setImage(Image::symbol("pin"), 0);
    selectOne->setImage(Image::symbol("eye"), 1);
    selectOne->setImage(Image::symbol("eye.slash"), 2);
    selectOne->setSelectedSegment(1);
    gallery.add(std::move(selectOne));
    gallery.add(addRemove()).setEnabled(false);

    gallery.row("Labels");
    gallery.add(label("A label"));
    auto truncated = label("Truncated at the tail when narrow");
    truncated->setLineBreakTruncatingTail();
    truncated->setFixedSize(Size{130, truncated->intrinsicContentSize().height});
    gallery.add(std::move(truncated));
    gallery.add(label("Disabled")).setEnabled(false);
    auto centred = label("Centred in a wide frame");
    centred->setAlignment(Label::Alignment::center);
    centred->setFixedSize(Size{200, centred->intrinsicContentSize().height});
    gallery.add(std::move(centred));

    gallery.row("Wrapping");
    gallery.add(
        label("A wrapping label grows downwards, one line after another, as its text gets longer "
              "than its preferred width.",
              220));
    auto& secondary = gallery.add(
        label("Small secondary text that wraps below a setting", 150, ControlSize::small));
    secondary.setTextColor(Color::secondaryLabelColor());
    auto& status = gallery.add(label(""));
    status.setMinimumHeight(32);

    gallery.row("Images");
    auto pinned = imageView(Image::symbol("eye.slash"));
    pinned->setFixedSize(Size{18, 18});
    gallery.add(std::move(pinned));
    gallery.add(imageView(Image::symbol("pin"))).setContentTintColor(Color::controlAccentColor());
    gallery.add(imageView(Image::genericApplicationIcon()));
    auto large = imageView(Image::genericApplicationIcon());
    large->setImageScaling(ImageScaling::proportionallyUpOrDown);
    large->setFixedSize(Size{48, 48});
    gallery.add(std::move(large));

    // Each press leaves the previous control without its release, so all
    // of them keep their pressed look.
    gallery.press(pressed);
    gallery.press(pressedOff);
    gallery.press(pressedOn);
    gallery.press(pressedLink);
    gallery.press(pressedSegments, {30, 10});

    if (!window.render(2).writePNG(argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
