#include "ui/AppRulesView.h"

#include "rules/AppRuleEngine.h"

AppRulesView::AppRulesView(AppRuleEngine& engine) : engine_(engine) {}

void AppRulesView::reload() {}

int AppRulesView::numberOfRows(kit::TableView&) { return static_cast<int>(rules_.size()); }

std::unique_ptr<kit::View> AppRulesView::viewFor(kit::TableView&, const kit::TableColumn&, int) {
    return nullptr;
}

std::optional<kit::PanelError> AppRulesView::validate(kit::OpenPanel&, const std::string&) {
    return std::nullopt;
}
