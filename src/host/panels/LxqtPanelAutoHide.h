#pragma once

// LXQt's panel keeps its settings in ~/.config/lxqt/panel.conf: each panel
// a section with `position` and `hidable`. lxqt-panel 1.2 reads the file only
// when it starts (and dies on SIGHUP), so a change is written to the file and
// the panel is restarted through lxqt-session, which runs it as a module.
// Without the session manager the change waits for the panel's next start.

#include <optional>
#include <string>
#include <variant>

#include "host/panels/PanelAutoHide.h"
#include "platform/RunLoop.h"

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GFileMonitor GFileMonitor;
typedef struct _GFile GFile;

namespace host {

class LxqtPanelAutoHide : public PanelAutoHide {
public:
    static constexpr const char* sessionService = "org.lxqt.session";
    static constexpr const char* panelModule = "lxqt-panel.desktop";

    // ${XDG_CONFIG_HOME:-~/.config}/lxqt/panel.conf
    static std::string defaultConfigPath();

    LxqtPanelAutoHide(GDBusConnection* bus, std::string configPath, PanelLog log);
    ~LxqtPanelAutoHide() override;
    LxqtPanelAutoHide(const LxqtPanelAutoHide&) = delete;
    LxqtPanelAutoHide& operator=(const LxqtPanelAutoHide&) = delete;

    std::optional<bool> autoHide() override;
    std::string setAutoHide(bool on) override;
    // From the request to stop the panel until its restart has had time to
    // show it again.
    bool busy() const override;
    void finish(double seconds) override;

private:
    std::optional<std::string> readConfig() const;
    // The file now and as it would read with `on`, or why it cannot be read.
    struct Edit {
        std::string before;
        std::string after;
    };
    std::variant<std::string, Edit> edit(bool on) const;
    std::string writeConfig(bool on);
    std::string write(const Edit& change);
    // Writes the file and starts the panel again once the session has
    // stopped it; true when done.
    bool startWhenStopped();
    static void onFolderChanged(GFileMonitor*, GFile* file, GFile* other, int event, void* self);

    GDBusConnection* bus_;
    std::string configPath_;
    PanelLog log_;
    GFileMonitor* monitor_ = nullptr;
    // The value to write once the panel has stopped, and since when we wait.
    struct Waiting {
        bool value = false;
        double since = 0;
    };
    std::optional<Waiting> waiting_;
    std::optional<double> startedAt_;
    std::optional<platform::TimerId> poll_;
};

}  // namespace host
