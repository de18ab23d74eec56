#include "kit/Alert.h"

#include "kit/Application.h"
#include "kit/DefaultButton.h"
#include "kit/DialogView.h"
#include "kit/Image.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/Window.h"

namespace kit {
namespace {

constexpr double sideInset = 16;
constexpr double contentWidth = Alert::width - 2 * sideInset;
constexpr double topInset = 20;
constexpr double iconSide = 64;
constexpr double iconToMessage = 12;
constexpr double messageToInformative = 6;
constexpr double textToButtons = 20;
constexpr double buttonSpacing = 8;
constexpr double bottomInset = 16;
constexpr double messageFontSize = 13;
constexpr double informativeFontSize = 11;
constexpr const char* cancelTitle = "Cancel";

std::unique_ptr<Label> centredWrappingLabel(Font font) {
    auto label = std::make_unique<Label>();
    label->setFont(font);
    label->setAlignment(Label::Alignment::center);
    label->setPreferredMaxLayoutWidth(contentWidth);
    return label;
}

std::unique_ptr<ImageView> applicationIcon() {
    auto icon = std::make_unique<ImageView>(Image::genericApplicationIcon());
    icon->setImageScaling(ImageScaling::proportionallyUpOrDown);
    return icon;
}

}  // namespace

Alert::Alert()
    : window_(std::make_unique<Window>(Size{width, 0}, WindowStyle::titled,
                                       platform::NativeWindowKind::modal)) {
    auto content = std::make_unique<DialogView>();
    content_ = content.get();
    content_->setActionHandler(
        [](Control& button) { Application::shared().stopModal(button.tag()); });
    icon_ = &content_->addSubview(applicationIcon());
    message_ = &content_->addSubview(centredWrappingLabel(Font::boldSystemFont(messageFontSize)));
    informative_ =
        &content_->addSubview(centredWrappingLabel(Font::systemFont(informativeFontSize)));
    window_->setContentView(std::move(content));
}

Alert::~Alert() = default;

void Alert::setMessageText(std::string text) {
    messageText_ = std::move(text);
    message_->setText(messageText_);
}

void Alert::setInformativeText(std::string text) {
    informativeText_ = std::move(text);
    informative_->setText(informativeText_);
}

Button& Alert::addButton(std::string title) {
    bool isCancel = title == cancelTitle;
    std::unique_ptr<Button> made =
        buttons_.empty() ? std::make_unique<DefaultButton>(title) : std::make_unique<Button>(title);
    Button& button = content_->addSubview(std::move(made));
    button.setTag(firstButtonReturn + static_cast<int>(buttons_.size()));
    content_->connect(button);
    if (buttons_.empty()) content_->setDefaultButton(&button);
    if (isCancel && !content_->cancelButton()) content_->setCancelButton(&button);
    buttons_.push_back(&button);
    return button;
}

void Alert::layout() {
    if (buttons_.empty()) addButton("OK");
    icon_->setFrame({(width - iconSide) / 2, topInset, iconSide, iconSide});
    double bottom = icon_->frame().maxY();
    bottom = placeText(*message_, bottom, iconToMessage);
    bottom = placeText(*informative_, bottom, messageToInformative);
    bottom = placeButtons(bottom + textToButtons);
    window_->setContentSize({width, bottom + bottomInset});
}

// An empty text takes no room, and neither does the gap above it.
double Alert::placeText(Label& label, double top, double gapBefore) const {
    label.setHidden(label.text().empty());
    if (label.isHidden()) return top;
    double height = label.fittingSize().height;
    label.setFrame({sideInset, top + gapBefore, contentWidth, height});
    return label.frame().maxY();
}

// Two short answers stand side by side with the default on the right, where
// the eye ends; otherwise the buttons stack full width, the default on top.
double Alert::placeButtons(double top) const {
    if (buttonsFitSideBySide()) {
        double half = (contentWidth - buttonSpacing) / 2;
        double height = buttons_[0]->fittingSize().height;
        buttons_[1]->setFrame({sideInset, top, half, height});
        buttons_[0]->setFrame({sideInset + half + buttonSpacing, top, half, height});
        return top + height;
    }
    double bottom = top - buttonSpacing;
    for (Button* button : buttons_) {
        double height = button->fittingSize().height;
        button->setFrame({sideInset, bottom + buttonSpacing, contentWidth, height});
        bottom = button->frame().maxY();
    }
    return bottom;
}

bool Alert::buttonsFitSideBySide() const {
    if (buttons_.size() != 2) return false;
    double half = (contentWidth - buttonSpacing) / 2;
    for (Button* button : buttons_) {
        if (button->fittingSize().width > half) return false;
    }
    return true;
}

int Alert::runModal() {
    layout();
    Application& application = Application::shared();
    window_->makeFirstResponder(content_);
    int response = application.runModal(*window_);
    window_->close();
    // A panel that ran the alert over itself takes the keys back.
    if (Window* outer = application.modalWindow()) outer->makeKeyAndOrderFront();
    return response;
}

}  // namespace kit
