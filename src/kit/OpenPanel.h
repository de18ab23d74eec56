#pragma once

// Lets people pick a file or a folder: the folder on show as a list, a pop-up
// of the folders above it to go back up, and the confirm and Cancel buttons.
// A double click opens a folder (or a package, when packages are treated as
// folders) and chooses anything else. The delegate may refuse a choice with
// an explanation, which an alert shows while the panel stays open. The panel
// runs modally, so the Application must exist.

#include <memory>
#include <optional>
#include <string>

#include "kit/FolderListing.h"

namespace kit {

class Button;
class Control;
class DialogView;
class FileListView;
class Label;
class OpenPanel;
class PopUpButton;
class ScrollView;
class Window;

struct PanelError {
    std::string description;
    std::string recoverySuggestion;
    bool operator==(const PanelError&) const = default;
};

class OpenPanelDelegate {
public:
    virtual ~OpenPanelDelegate() = default;
    // Absent accepts `path`; an error keeps the panel open and is shown.
    virtual std::optional<PanelError> validate(OpenPanel& panel, const std::string& path) = 0;
};

class OpenPanel {
public:
    enum class Response { cancel = 0, ok = 1 };

    static constexpr double contentWidth = 560;
    static constexpr double contentHeight = 400;

    OpenPanel();
    ~OpenPanel();
    OpenPanel(const OpenPanel&) = delete;
    OpenPanel& operator=(const OpenPanel&) = delete;

    // Where the panel starts; a path that is no folder starts in the home folder.
    const std::string& directoryURL() const { return directoryURL_; }
    void setDirectoryURL(std::string path) { directoryURL_ = std::move(path); }
    // Packages (applications) are then folders to open and to choose as
    // folders; otherwise each is one item, chosen as a file or a folder.
    bool treatsFilePackagesAsDirectories() const { return treatsPackagesAsFolders_; }
    void setTreatsFilePackagesAsDirectories(bool treats);
    bool canChooseDirectories() const { return canChooseDirectories_; }
    void setCanChooseDirectories(bool can);
    // Files that cannot be chosen are shown greyed.
    bool canChooseFiles() const { return canChooseFiles_; }
    void setCanChooseFiles(bool can);
    // One path is chosen at a time.
    bool allowsMultipleSelection() const { return false; }
    // Shown above the list; empty shows nothing.
    const std::string& message() const { return message_; }
    void setMessage(std::string message);
    // The confirm button's title.
    const std::string& prompt() const { return prompt_; }
    void setPrompt(std::string prompt);
    OpenPanelDelegate* delegate() const { return delegate_; }
    void setDelegate(OpenPanelDelegate* delegate) { delegate_ = delegate; }

    // Shows the panel in its start folder until a choice is accepted or the
    // panel is cancelled.
    Response runModal();
    // The accepted path; absent after a cancel.
    const std::optional<std::string>& url() const { return url_; }

    // What people do in the panel, through its buttons, list and keys.
    const std::string& currentFolder() const { return currentFolder_; }
    // False, changing nothing, for a path that is no folder.
    bool showFolder(const std::string& path);
    // False for a name not listed or greyed.
    bool selectEntry(const std::string& name);
    // The confirm button: opens a folder that cannot be chosen, otherwise
    // offers the selected entry (or, with none, the folder on show) to the
    // delegate.
    void confirm();
    void cancel();

    Window& window() { return *window_; }

private:
    void build();
    void layoutContent();
    void controlActed(Control& control);
    void fillPathPopUp();
    void goToChosenAncestor();
    void open(const FolderEntry& entry);
    void choose(const std::string& path);
    void showError(const PanelError& error);
    void reloadEntries();
    void updateConfirmButton();
    std::string startFolder() const;
    bool isNavigable(const FolderEntry& entry) const;
    bool canChoose(const FolderEntry& entry) const;
    bool isEnabled(const FolderEntry& entry) const;

    std::string directoryURL_;
    bool treatsPackagesAsFolders_ = false;
    bool canChooseDirectories_ = false;
    bool canChooseFiles_ = true;
    std::string message_;
    std::string prompt_ = "Open";
    OpenPanelDelegate* delegate_ = nullptr;
    std::optional<std::string> url_;
    std::string currentFolder_;

    std::unique_ptr<Window> window_;
    DialogView* content_ = nullptr;
    Label* messageLabel_ = nullptr;
    PopUpButton* pathPopUp_ = nullptr;
    ScrollView* scrollView_ = nullptr;
    FileListView* list_ = nullptr;
    Button* cancelButton_ = nullptr;
    Button* confirmButton_ = nullptr;
};

}  // namespace kit
