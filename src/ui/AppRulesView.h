#pragma once

// The per-app rules row of the settings window: one line per rule with the
// application's icon, name and a mode pop-up, a placeholder while there are
// none, and plus/minus below. Every change goes to the rule engine; the list
// shows a copy of the engine's rules that reload() brings up to date.

#include <vector>

#include "kit/OpenPanel.h"
#include "kit/TableView.h"
#include "kit/View.h"
#include "rules/AppRule.h"

class AppRuleEngine;

namespace kit {
class Label;
class ScrollView;
class SegmentedControl;
}  // namespace kit

class AppRulesView : public kit::View,
                     public kit::TableViewDataSource,
                     public kit::TableViewDelegate,
                     public kit::OpenPanelDelegate {
public:
    explicit AppRulesView(AppRuleEngine& engine);

    void reload();
    // The rules currently shown.
    const std::vector<AppRule>& rules() const { return rules_; }

    int numberOfRows(kit::TableView& tableView) override;
    std::unique_ptr<kit::View> viewFor(kit::TableView& tableView, const kit::TableColumn& column,
                                       int row) override;
    std::optional<kit::PanelError> validate(kit::OpenPanel& panel, const std::string& path) override;

private:
    AppRuleEngine& engine_;
    std::vector<AppRule> rules_;
};
