#include "kit/OpenPanel.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "kit/Alert.h"
#include "kit/Application.h"
#include "kit/DefaultButton.h"
#include "kit/DialogView.h"
#include "kit/FileListView.h"
#include "kit/FileRowView.h"
#include "kit/Label.h"
#include "kit/PopUpButton.h"
#include "kit/ScrollView.h"
#include "kit/Window.h"

namespace kit {
namespace {

constexpr double sideInset = 20;
constexpr double topInset = 14;
constexpr double innerWidth = OpenPanel::contentWidth - 2 * sideInset;
constexpr double rowSpacing = 10;
constexpr double pathPopUpWidth = 240;
constexpr double bottomInset = 20;
constexpr double listToButtons = 16;
constexpr double buttonSpacing = 12;
constexpr double minimumButtonWidth = 82;

std::unique_ptr<Label> messageLabel() {
    auto label = std::make_unique<Label>();
    label->setAlignment(Label::Alignment::center);
    label->setPreferredMaxLayoutWidth(innerWidth);
    return label;
}

std::unique_ptr<ScrollView> listScrollView(std::unique_ptr<FileListView> list) {
    auto scrollView = std::make_unique<ScrollView>();
    scrollView->setBorderType(BorderType::bezel);
    scrollView->setHasVerticalScroller(true);
    scrollView->setDocumentView(std::move(list));
    return scrollView;
}

}  // namespace

OpenPanel::OpenPanel()
    : window_(std::make_unique<Window>(Size{contentWidth, contentHeight}, WindowStyle::titled,
                                       platform::NativeWindowKind::modal)) {
    window_->setTitle("Open");
    build();
    layoutContent();
}

OpenPanel::~OpenPanel() = default;

void OpenPanel::build() {
    auto content = std::make_unique<DialogView>();
    content_ = content.get();
    content_->setActionHandler([this](Control& control) { controlActed(control); });
    messageLabel_ = &content_->addSubview(messageLabel());
    pathPopUp_ = &content_->addSubview(std::make_unique<PopUpButton>());
    pathPopUp_->setAccessibilityLabel("Folder");
    content_->connect(*pathPopUp_);

    auto list = std::make_unique<FileListView>();
    list_ = list.get();
    list_->setOpenHandler([this](const FolderEntry& entry) { open(entry); });
    list_->setSelectionHandler([this] { updateConfirmButton(); });
    scrollView_ = &content_->addSubview(listScrollView(std::move(list)));

    cancelButton_ = &content_->addSubview(std::make_unique<Button>("Cancel"));
    confirmButton_ = &content_->addSubview(std::make_unique<DefaultButton>(prompt_));
    content_->connect(*cancelButton_);
    content_->connect(*confirmButton_);
    content_->setCancelButton(cancelButton_);
    content_->setDefaultButton(confirmButton_);
    window_->setContentView(std::move(content));
}

// The message and the folder pop-up at the top, the buttons at the bottom
// right, and the list taking what is left.
void OpenPanel::layoutContent() {
    double top = topInset;
    messageLabel_->setHidden(message_.empty());
    if (!message_.empty()) {
        messageLabel_->setFrame({sideInset, top, innerWidth, messageLabel_->fittingSize().height});
        top = messageLabel_->frame().maxY() + rowSpacing;
    }
    double popUpHeight = pathPopUp_->fittingSize().height;
    pathPopUp_->setFrame({(contentWidth - pathPopUpWidth) / 2, top, pathPopUpWidth, popUpHeight});
    top = pathPopUp_->frame().maxY() + rowSpacing;

    double buttonWidth = std::max({minimumButtonWidth, cancelButton_->fittingSize().width,
                                   confirmButton_->fittingSize().width});
    double buttonHeight = confirmButton_->fittingSize().height;
    double buttonTop = contentHeight - bottomInset - buttonHeight;
    double confirmLeft = contentWidth - sideInset - buttonWidth;
    confirmButton_->setFrame({confirmLeft, buttonTop, buttonWidth, buttonHeight});
    cancelButton_->setFrame(
        {confirmLeft - buttonSpacing - buttonWidth, buttonTop, buttonWidth, buttonHeight});

    double listBottom = buttonTop - listToButtons;
    scrollView_->setFrame({sideInset, top, innerWidth, std::max(0.0, listBottom - top)});
    window_->setViewsNeedDisplay();
}

void OpenPanel::setTreatsFilePackagesAsDirectories(bool treats) {
    treatsPackagesAsFolders_ = treats;
    reloadEntries();
}

void OpenPanel::setCanChooseDirectories(bool can) {
    canChooseDirectories_ = can;
    reloadEntries();
}

void OpenPanel::setCanChooseFiles(bool can) {
    canChooseFiles_ = can;
    reloadEntries();
}

void OpenPanel::setMessage(std::string message) {
    message_ = std::move(message);
    messageLabel_->setText(message_);
    layoutContent();
}

void OpenPanel::setPrompt(std::string prompt) {
    prompt_ = std::move(prompt);
    confirmButton_->setTitle(prompt_);
    layoutContent();
}

OpenPanel::Response OpenPanel::runModal() {
    url_.reset();
    showFolder(startFolder());
    window_->makeFirstResponder(list_);
    Application::shared().runModal(*window_);
    window_->close();
    // Only an accepted choice is a yes, however the run ended.
    return url_ ? Response::ok : Response::cancel;
}

std::string OpenPanel::startFolder() const {
    if (FolderListing::isFolder(directoryURL_)) return directoryURL_;
    const char* home = std::getenv("HOME");
    if (home && FolderListing::isFolder(home)) return home;
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

bool OpenPanel::showFolder(const std::string& path) {
    if (!FolderListing::isFolder(path)) return false;
    currentFolder_ = FolderListing::absolute(path);
    reloadEntries();
    fillPathPopUp();
    return true;
}

void OpenPanel::reloadEntries() {
    if (currentFolder_.empty()) return;
    list_->setEntries(FolderListing::entries(currentFolder_),
                      [this](const FolderEntry& entry) { return isEnabled(entry); });
    updateConfirmButton();
}

bool OpenPanel::selectEntry(const std::string& name) {
    return list_->selectEnabledRow(list_->rowNamed(name));
}

// The folder on show first, then each folder above it up to the root.
void OpenPanel::fillPathPopUp() {
    pathPopUp_->removeAllItems();
    for (const std::string& folder : FolderListing::ancestry(currentFolder_)) {
        MenuItem& item = pathPopUp_->addItem(FolderListing::displayName(folder));
        item.setRepresentedObject(folder);
        item.setToolTip(folder);
        item.setImage(FileRowView::folderIcon());
    }
    pathPopUp_->selectItem(0);
}

void OpenPanel::goToChosenAncestor() {
    MenuItem* item = pathPopUp_->selectedItem();
    const std::string* folder =
        item && item->representedObject() ? item->representedObject()->text() : nullptr;
    if (folder) showFolder(std::string(*folder));
}

void OpenPanel::controlActed(Control& control) {
    if (&control == confirmButton_) return confirm();
    if (&control == cancelButton_) return cancel();
    if (&control == pathPopUp_) return goToChosenAncestor();
}

void OpenPanel::confirm() {
    const FolderEntry* entry = list_->selectedEntry();
    if (!entry) {
        if (canChooseDirectories_) choose(currentFolder_);
        return;
    }
    // Copied: showing a folder replaces the entries.
    std::string path = entry->path;
    if (isNavigable(*entry) && !canChooseDirectories_) {
        showFolder(path);
        return;
    }
    if (canChoose(*entry)) choose(path);
}

void OpenPanel::cancel() {
    url_.reset();
    Application::shared().stopModal(static_cast<int>(Response::cancel));
}

// A double click.
void OpenPanel::open(const FolderEntry& entry) {
    if (isNavigable(entry)) {
        showFolder(entry.path);
        return;
    }
    confirm();
}

void OpenPanel::choose(const std::string& path) {
    std::optional<PanelError> error = delegate_ ? delegate_->validate(*this, path) : std::nullopt;
    if (error) return showError(*error);
    url_ = path;
    Application::shared().stopModal(static_cast<int>(Response::ok));
}

void OpenPanel::showError(const PanelError& error) {
    Alert alert;
    alert.setMessageText(error.description);
    alert.setInformativeText(error.recoverySuggestion);
    alert.runModal();
}

void OpenPanel::updateConfirmButton() {
    const FolderEntry* entry = list_->selectedEntry();
    bool enabled = entry ? isNavigable(*entry) || canChoose(*entry) : canChooseDirectories_;
    confirmButton_->setEnabled(enabled);
}

bool OpenPanel::isNavigable(const FolderEntry& entry) const {
    if (entry.kind == FolderEntry::Kind::package) return treatsPackagesAsFolders_;
    return entry.kind == FolderEntry::Kind::folder;
}

// A package seen as one item is a folder to the file system and a document
// to people, so either permission lets it be chosen.
bool OpenPanel::canChoose(const FolderEntry& entry) const {
    if (isNavigable(entry)) return canChooseDirectories_;
    if (entry.kind == FolderEntry::Kind::package) return canChooseDirectories_ || canChooseFiles_;
    return canChooseFiles_;
}

bool OpenPanel::isEnabled(const FolderEntry& entry) const {
    return isNavigable(entry) || canChoose(entry);
}

}  // namespace kit
