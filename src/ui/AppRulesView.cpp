#include "ui/AppRulesView.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "kit/Application.h"
#include "kit/ImageView.h"
#include "kit/Label.h"
#include "kit/Menu.h"
#include "kit/PopUpButton.h"
#include "kit/ScrollView.h"
#include "kit/SegmentedControl.h"
#include "platform/Platform.h"
#include "platform/Unicode.h"
#include "rules/AppRuleEngine.h"

namespace {

using platform::RunningApplication;

constexpr const char* appColumn = "app";
constexpr const char* modeColumn = "mode";
constexpr const char* modeChangedAction = "modeChanged:";
constexpr const char* addRemoveAction = "addRemoveClicked:";
constexpr const char* chooseApplicationAction = "chooseApplication:";
constexpr kit::Size menuIconSize{16, 16};

// An application's icon and name side by side, centred vertically.
class AppCellView : public kit::View {
public:
    static constexpr double iconSide = 18;
    static constexpr double edgeInset = 4;
    static constexpr double gap = 6;

    AppCellView(kit::Image icon, std::string name) {
        icon_ = &addSubview(std::make_unique<kit::ImageView>(std::move(icon)));
        icon_->setImageScaling(kit::ImageScaling::proportionallyDown);
        icon_->setFixedSize(kit::Size{iconSide, iconSide});
        name_ = &addSubview(std::make_unique<kit::Label>(std::move(name)));
        name_->setLineBreakTruncatingTail();
    }

    void layout() override {
        double height = bounds().height();
        icon_->setFrame({edgeInset, (height - iconSide) / 2, iconSide, iconSide});
        double nameX = edgeInset + iconSide + gap;
        double nameHeight = name_->fittingSize().height;
        double nameWidth = std::max(0.0, bounds().width() - nameX - edgeInset);
        name_->setFrame({nameX, (height - nameHeight) / 2, nameWidth, nameHeight});
    }

private:
    kit::ImageView* icon_ = nullptr;
    kit::Label* name_ = nullptr;
};

// A bundle ending in ".app", or whatever else this desktop installs as an
// application (desktop entries, on Linux).
bool hasApplicationExtension(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    auto extension = std::filesystem::path(path).extension().string();
    if (extension.empty()) return false;
    auto known = platform::current().workspace.applicationExtensions();
    return std::find(known.begin(), known.end(), extension.substr(1)) != known.end();
}

// ".app", ".app or .desktop", ".app, .desktop or .x".
std::string extensionList() {
    auto extensions = platform::current().workspace.applicationExtensions();
    std::string list;
    for (std::size_t index = 0; index < extensions.size(); ++index) {
        if (index > 0) list += index + 1 == extensions.size() ? " or " : ", ";
        list += "." + extensions[index];
    }
    return list;
}

// Where the panel starts: the first folder applications are installed in.
std::string applicationsFolder() {
    auto folders = platform::current().workspace.applicationFolders();
    return folders.empty() ? "/Applications" : folders.front();
}

std::string removingOccurrences(std::string text, const std::string& part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

bool isOffered(const RunningApplication& application, int ownProcess) {
    if (!application.bundleIdentifier) return false;
    if (!application.bundlePath || !hasApplicationExtension(*application.bundlePath)) return false;
    if (application.activationPolicy == platform::ActivationPolicy::prohibited) return false;
    if (application.processIdentifier == ownProcess) return false;
    return !ignoredBundleIDs().contains(*application.bundleIdentifier);
}

// The running applications people may add: each once, sorted by name as the
// user's language sorts, ignoring case.
std::vector<RunningApplication> offeredApplications() {
    auto& workspace = platform::current().workspace;
    int ownProcess = workspace.currentApplication().processIdentifier;
    std::set<std::string> seen;
    std::vector<RunningApplication> offered;
    for (auto& application : workspace.runningApplications()) {
        if (!isOffered(application, ownProcess)) continue;
        if (!seen.insert(*application.bundleIdentifier).second) continue;
        offered.push_back(std::move(application));
    }
    std::stable_sort(offered.begin(), offered.end(), [](const auto& a, const auto& b) {
        return platform::unicode::localizedCaseInsensitiveCompare(a.localizedName.value_or(""),
                                                                  b.localizedName.value_or("")) < 0;
    });
    return offered;
}

std::string titleOf(const RunningApplication& application) {
    if (application.localizedName && !application.localizedName->empty())
        return *application.localizedName;
    return *application.bundleIdentifier;
}

kit::Image iconOf(const RunningApplication& application) {
    auto own = application.bundlePath ? AppRef::iconAt(*application.bundlePath) : std::nullopt;
    return own ? *own : AppRef::icon(*application.bundleIdentifier);
}

}  // namespace

AppRulesView::AppRulesView(AppRuleEngine& engine) : engine_(engine) {
    build();
    reload();
}

// Building.

void AppRulesView::build() {
    auto table = std::make_unique<kit::TableView>();
    kit::TableColumn app(appColumn, 200);
    app.setTitle("App");
    kit::TableColumn mode(modeColumn, 116);
    mode.setTitle("Menu bar");
    table->addTableColumn(app);
    table->addTableColumn(mode);
    table->setColumnAutoresizingStyle(kit::ColumnAutoresizingStyle::firstColumnOnly);
    table->setRowHeight(24);
    table->setUsesAlternatingRowBackgroundColors(true);
    table->setAllowsEmptySelection(true);
    table->setDataSource(this);
    table->setDelegate(this);
    tableView_ = table.get();

    auto scroll = std::make_unique<kit::ScrollView>(kit::Rect{{0, 0}, listSize});
    scroll->setBorderType(kit::BorderType::bezel);
    scroll->setHasVerticalScroller(true);
    scroll->setDocumentView(std::move(table));
    scrollView_ = &addSubview(std::move(scroll));

    placeholder_ =
        &addSubview(std::make_unique<kit::Label>("No rules yet. Click + to add an app."));
    placeholder_->setControlSize(kit::ControlSize::small);
    placeholder_->setTextColor(kit::Color::secondaryLabelColor());

    auto segments = std::make_unique<kit::SegmentedControl>(2);
    segments->setTrackingMode(kit::SegmentedControl::TrackingMode::momentary);
    segments->setControlSize(kit::ControlSize::small);
    segments->setImage(kit::Image::symbol("plus", "Add rule"), addSegment);
    segments->setAccessibilityDescription("Add rule", addSegment);
    segments->setImage(kit::Image::symbol("minus", "Remove rule"), removeSegment);
    segments->setAccessibilityDescription("Remove rule", removeSegment);
    segments->setTarget(this);
    segments->setAction(addRemoveAction);
    addRemove_ = &addSubview(std::move(segments));
}

kit::Size AppRulesView::fittingSize() const {
    kit::Size control = addRemove_->fittingSize();
    return {std::max(listSize.width, control.width),
            listSize.height + controlSpacing + control.height};
}

void AppRulesView::layout() {
    scrollView_->setFrame({{0, 0}, listSize});
    kit::Size text = placeholder_->fittingSize();
    placeholder_->setFrame({(listSize.width - text.width) / 2, (listSize.height - text.height) / 2,
                            text.width, text.height});
    kit::Size control = addRemove_->fittingSize();
    addRemove_->setFrame({0, listSize.height + controlSpacing, control.width, control.height});
}

// The list.

void AppRulesView::reload() {
    if (engine_.rules() != rules_) showRules(engine_.rules());
    updateControls();
}

void AppRulesView::showRules(const std::vector<AppRule>& rules) {
    int selected = tableView_->selectedRow();
    std::optional<std::string> selectedID;
    if (selected >= 0 && selected < static_cast<int>(rules_.size()))
        selectedID = rules_[selected].bundleID;
    rules_ = rules;
    tableView_->reloadData();
    if (!selectedID) return;
    auto found = std::find_if(rules_.begin(), rules_.end(),
                              [&](const AppRule& rule) { return rule.bundleID == *selectedID; });
    if (found != rules_.end()) tableView_->selectRow(static_cast<int>(found - rules_.begin()));
}

void AppRulesView::updateControls() {
    placeholder_->setHidden(!rules_.empty());
    addRemove_->setEnabled(tableView_->selectedRow() >= 0, removeSegment);
}

int AppRulesView::numberOfRows(kit::TableView&) {
    return static_cast<int>(rules_.size());
}

std::unique_ptr<kit::View> AppRulesView::viewFor(kit::TableView&, const kit::TableColumn& column,
                                                 int row) {
    if (row < 0 || row >= static_cast<int>(rules_.size())) return nullptr;
    const AppRule& rule = rules_[row];
    if (column.identifier() == appColumn)
        return std::make_unique<AppCellView>(AppRef::icon(rule.bundleID), rule.name);
    return modeCell(rule);
}

std::unique_ptr<kit::View> AppRulesView::modeCell(const AppRule& rule) {
    auto popUp = std::make_unique<kit::PopUpButton>();
    popUp->setControlSize(kit::ControlSize::small);
    popUp->setFont(kit::Font::systemFont(kit::Font::smallSystemFontSize));
    popUp->addItem("Auto-hide");
    popUp->addItem("Always show");
    popUp->selectItem(rule.autoHide ? 0 : 1);
    popUp->setTarget(this);
    popUp->setAction(modeChangedAction);
    return popUp;
}

void AppRulesView::selectionDidChange(kit::TableView&) {
    updateControls();
}

// Actions.

bool AppRulesView::tryToPerform(const kit::Action& action, kit::Responder* sender) {
    if (action == modeChangedAction) {
        if (auto* popUp = dynamic_cast<kit::PopUpButton*>(sender)) modeChanged(*popUp);
        return true;
    }
    if (action == addRemoveAction) {
        addRemoveClicked();
        return true;
    }
    if (action == chooseApplicationAction) {
        chooseApplication();
        return true;
    }
    return View::tryToPerform(action, sender);
}

// Sent even when the choice stayed the same; the engine's set is harmless then.
void AppRulesView::modeChanged(const kit::PopUpButton& popUp) {
    int row = tableView_->rowFor(popUp);
    if (row < 0 || row >= static_cast<int>(rules_.size())) return;
    const AppRule& rule = rules_[row];
    engine_.set({rule.bundleID, rule.name, popUp.indexOfSelectedItem() == 0});
}

void AppRulesView::addRemoveClicked() {
    int segment = addRemove_->selectedSegment();
    if (segment == addSegment) return showAddMenu();
    if (segment != removeSegment) return;
    int row = tableView_->selectedRow();
    if (row < 0 || row >= static_cast<int>(rules_.size())) return;
    engine_.remove(rules_[row].bundleID);
}

// The add menu, built afresh each time. A chosen application comes back as
// popUp's answer: the action a pop-up menu sends names only this view as its
// sender, not the item that carries the application.
void AppRulesView::showAddMenu() {
    kit::Menu menu;
    addRecentApps(menu);
    menu.addItem("Running Apps", "", "").setSubmenu(runningAppsMenu());
    auto& choose = menu.addItem("Choose Application\u2026", chooseApplicationAction, "");
    choose.setTarget(this);
    kit::Point below{addRemove_->frame().minX(), addRemove_->frame().maxY()};
    kit::MenuItem* chosen = menu.popUp(nullptr, below, *this);
    if (chosen && chosen->representedObject()) addApp(*chosen);
}

void AppRulesView::addRecentApps(kit::Menu& menu) {
    const auto& recent = engine_.recentApps();
    if (recent.empty()) return;
    if (platform::current().processInfo.operatingSystemMajorVersion() >= 14) {
        menu.addItem(kit::MenuItem::sectionHeader("Recently Used"));
    } else {
        menu.addItem("Recently Used", "", "").setEnabled(false);
    }
    for (const auto& ref : recent) menu.addItem(appItem(ref.name, AppRef::icon(ref.bundleID), ref));
    menu.addItem(kit::MenuItem::separator());
}

std::unique_ptr<kit::Menu> AppRulesView::runningAppsMenu() {
    auto menu = std::make_unique<kit::Menu>("Running Apps");
    auto offered = offeredApplications();
    auto addWithPolicy = [&](platform::ActivationPolicy policy) {
        for (const auto& application : offered) {
            if (application.activationPolicy != policy) continue;
            std::string title = titleOf(application);
            menu->addItem(
                appItem(title, iconOf(application), {*application.bundleIdentifier, title}));
        }
    };
    addWithPolicy(platform::ActivationPolicy::regular);
    bool hasAccessory = std::any_of(offered.begin(), offered.end(), [](const auto& application) {
        return application.activationPolicy == platform::ActivationPolicy::accessory;
    });
    if (hasAccessory && !menu->items().empty()) menu->addItem(kit::MenuItem::separator());
    addWithPolicy(platform::ActivationPolicy::accessory);
    return menu;
}

std::unique_ptr<kit::MenuItem> AppRulesView::appItem(const std::string& title, kit::Image icon,
                                                     const AppRef& ref) {
    auto item = std::make_unique<kit::MenuItem>(title, "", "");
    std::optional<platform::PropertyValue> represented(std::in_place, ref.dictionary());
    item->setRepresentedObject(std::move(represented));
    icon.setSize(menuIconSize);
    item->setImage(std::move(icon));
    return item;
}

void AppRulesView::addApp(const kit::MenuItem& item) {
    const auto* dictionary =
        item.representedObject() ? item.representedObject()->dictionary() : nullptr;
    if (!dictionary) return;
    for (const auto& [key, value] : *dictionary) {
        if (!value.text()) return;
    }
    if (auto ref = AppRef::fromDictionary(*dictionary)) add(*ref);
}

// An existing rule keeps its place and value and takes the new name.
void AppRulesView::add(const AppRef& ref) {
    auto existing = engine_.rule(ref.bundleID);
    engine_.set({ref.bundleID, ref.name, existing ? existing->autoHide : true});
    const auto& rules = engine_.rules();
    auto found = std::find_if(rules.begin(), rules.end(),
                              [&](const AppRule& rule) { return rule.bundleID == ref.bundleID; });
    if (found == rules.end()) return;
    int row = static_cast<int>(found - rules.begin());
    reload();
    tableView_->selectRow(row);
    tableView_->scrollRowToVisible(row);
}

// The open panel.

void AppRulesView::chooseApplication() {
    kit::OpenPanel panel;
    panel.setDelegate(this);
    panel.setTreatsFilePackagesAsDirectories(true);
    panel.setCanChooseDirectories(true);
    // Every kind of application but the bundle is a file.
    panel.setCanChooseFiles(platform::current().workspace.applicationExtensions().size() > 1);
    panel.setDirectoryURL(applicationsFolder());
    panel.setMessage("Choose an app to add a menu bar rule for");
    panel.setPrompt("Add Rule");
    kit::Application::shared().activateIgnoringOtherApps();
    openPanel_ = &panel;
    auto response = panel.runModal();
    openPanel_ = nullptr;
    if (response != kit::OpenPanel::Response::ok || !panel.url()) return;
    auto& workspace = platform::current().workspace;
    const std::string& path = *panel.url();
    auto bundleID = workspace.bundleIdentifier(path);
    if (!bundleID) return;
    std::string name = removingOccurrences(workspace.displayName(path), ".app");
    // A bundle called just ".app" would leave a rule without a readable name.
    add({*bundleID, name.empty() ? *bundleID : name});
}

std::optional<kit::PanelError> AppRulesView::validate(kit::OpenPanel&, const std::string& path) {
    if (hasApplicationExtension(path) && platform::current().workspace.bundleIdentifier(path))
        return std::nullopt;
    return kit::PanelError{"That isn't an application.",
                           "Choose an item ending in " + extensionList() +
                               " (you can open a bundle to find apps nested inside it)."};
}
