#pragma once

// Xfce's panel keeps its settings in xfconf, which it follows live: channel
// "xfce4-panel", where /panels lists the panel ids and each panel-N has a
// `position` ("p=<snap>;x=<x>;y=<y>"), a `mode` (0 horizontal) and an
// `autohide-behavior` (0 never, 1 intelligently, 2 always). We talk to
// xfconfd over the session bus, as xfconf-query does.

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "host/panels/PanelAutoHide.h"

// GIO's own declaration, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

namespace host {

// Whether a panel with this position and mode runs along the top edge of its
// screen: horizontal and snapped to the top (left, centre, right or whole).
bool isXfceTopPanel(std::string_view position, unsigned mode);

class XfcePanelAutoHide : public PanelAutoHide {
public:
    static constexpr const char* service = "org.xfce.Xfconf";
    static constexpr const char* channel = "xfce4-panel";
    static constexpr unsigned never = 0;
    static constexpr unsigned always = 2;
    // Where each panel's last choice other than never is remembered, by the
    // panel's property base ("/panels/panel-1").
    static constexpr const char* memoryDomain = "app.tarnwick.Tarnwick.xfce4-panel";

    explicit XfcePanelAutoHide(GDBusConnection* bus);
    ~XfcePanelAutoHide() override;
    XfcePanelAutoHide(const XfcePanelAutoHide&) = delete;
    XfcePanelAutoHide& operator=(const XfcePanelAutoHide&) = delete;

    std::optional<bool> autoHide() override;
    // On puts back each panel's last choice other than never ("intelligently"
    // stays), always when we have seen none; off is never.
    std::string setAutoHide(bool on) override;

private:
    struct TopPanel {
        std::string base;  // "/panels/panel-1"
        unsigned behavior = never;
    };
    using TopPanels = std::variant<std::vector<TopPanel>, std::string>;

    TopPanels topPanels();
    void remember(const std::string& base, unsigned behavior);
    unsigned lastChoice(const std::string& base);
    void propertyChanged(const std::string& property, unsigned long long value, bool removed);
    static void onSignal(GDBusConnection*, const char*, const char*, const char*,
                         const char* member, GVariant* parameters, void* self);

    GDBusConnection* bus_;
    unsigned subscription_ = 0;
    unsigned idle_ = 0;
    std::map<std::string, unsigned> lastChoice_;  // read through from memoryDomain
};

}  // namespace host
