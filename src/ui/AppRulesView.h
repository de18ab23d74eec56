#pragma once

// The per-app rules row of the settings window: one line per rule with the
// application's icon, name and a mode pop-up, a placeholder while there are
// none, and plus/minus below. Every change goes to the rule engine; the list
// shows a copy of the engine's rules that reload() brings up to date.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/OpenPanel.h"
#include "kit/TableView.h"
#include "kit/View.h"
#include "rules/AppRule.h"

class AppRuleEngine;

namespace kit {
class Label;
class Menu;
class MenuItem;
class PopUpButton;
class ScrollView;
class SegmentedControl;
}  // namespace kit

class AppRulesView : public kit::View,
                     public kit::TableViewDataSource,
                     public kit::TableViewDelegate,
                     public kit::OpenPanelDelegate {
public:
    static constexpr kit::Size listSize{360, 120};
    static constexpr double controlSpacing = 4;
    static constexpr int addSegment = 0;
    static constexpr int removeSegment = 1;

    // Builds the list and shows the engine's rules.
    explicit AppRulesView(AppRuleEngine& engine);

    // Shows the engine's rules; an unchanged list leaves the rows alone, a
    // changed one keeps the same application selected.
    void reload();
    // The rules currently shown.
    const std::vector<AppRule>& rules() const { return rules_; }

    kit::TableView& tableView() const { return *tableView_; }
    kit::ScrollView& scrollView() const { return *scrollView_; }
    kit::Label& placeholder() const { return *placeholder_; }
    kit::SegmentedControl& addRemove() const { return *addRemove_; }
    // The panel choosing an application, while it is up; null otherwise.
    kit::OpenPanel* openPanel() const { return openPanel_; }

    int numberOfRows(kit::TableView& tableView) override;
    std::unique_ptr<kit::View> viewFor(kit::TableView& tableView, const kit::TableColumn& column,
                                       int row) override;
    void selectionDidChange(kit::TableView& tableView) override;
    // Accepts an application (an `.app`, or what else the desktop installs as
    // one) that has an identifier.
    std::optional<kit::PanelError> validate(kit::OpenPanel& panel,
                                            const std::string& path) override;

    bool tryToPerform(const kit::Action& action, kit::Responder* sender) override;
    kit::Size fittingSize() const override;
    void layout() override;

private:
    void build();
    void showRules(const std::vector<AppRule>& rules);
    void updateControls();
    std::unique_ptr<kit::View> modeCell(const AppRule& rule);

    void modeChanged(const kit::PopUpButton& popUp);
    void addRemoveClicked();
    void showAddMenu();
    void addRecentApps(kit::Menu& menu);
    std::unique_ptr<kit::Menu> runningAppsMenu();
    std::unique_ptr<kit::MenuItem> appItem(const std::string& title, kit::Image icon,
                                           const AppRef& ref);
    void addApp(const kit::MenuItem& item);
    void add(const AppRef& ref);
    void chooseApplication();

    AppRuleEngine& engine_;
    kit::TableView* tableView_ = nullptr;
    kit::ScrollView* scrollView_ = nullptr;
    kit::Label* placeholder_ = nullptr;
    kit::SegmentedControl* addRemove_ = nullptr;
    kit::OpenPanel* openPanel_ = nullptr;
    std::vector<AppRule> rules_;
};
