#pragma once

#include "platform/StatusBar.h"

namespace host {

class StatusNotifierBar : public platform::StatusBar {
public:
    platform::StatusItemId addItem(Callbacks) override { return 1; }
    void removeItem(platform::StatusItemId) override {}
    void setIcon(platform::StatusItemId, std::vector<platform::PixelImage>) override {}
    void setTitle(platform::StatusItemId, const std::string&) override {}
    void setToolTip(platform::StatusItemId, const std::string&) override {}
    void setMenu(platform::StatusItemId, const platform::StatusMenuEntry&) override {}
};

}  // namespace host
