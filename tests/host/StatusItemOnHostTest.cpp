// The toolkit's status item as a panel sees it: a helper process shows one on
// the private session bus; this test reads and clicks it over D-Bus.

#include <gio/gio.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <string>

#include "support/Process.h"

namespace {

constexpr const char* menuInterface = "com.canonical.dbusmenu";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";

class StatusItemOnHostTest : public testing::Test {
protected:
    void SetUp() override {
        connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (!connection) GTEST_SKIP() << "needs a session bus";
        helper = std::make_unique<support::ChildProcess>(std::vector<std::string>{HOST_TEST_HELPER, "status-item"});
        ASSERT_TRUE(helper->waitForStdout("ready\n")) << helper->stderrText();
        busName = "org.kde.StatusNotifierItem-" + std::to_string(helper->pid()) + "-1";
        // The name is taken on the helper's loop, a moment after it starts.
        for (int tries = 0; tries < 500 && !hasOwner(); ++tries) g_usleep(10000);
        ASSERT_TRUE(hasOwner());
    }
    bool hasOwner() {
        GVariant* reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "NameHasOwner",
                                                      g_variant_new("(s)", busName.c_str()), nullptr,
                                                      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        gboolean owned = FALSE;
        if (reply) g_variant_get(reply, "(b)", &owned);
        if (reply) g_variant_unref(reply);
        return owned;
    }
    void TearDown() override {
        if (helper) {
            helper->signal(SIGTERM);
            EXPECT_EQ(helper->wait(), 0);
        }
        if (connection) g_object_unref(connection);
    }

    GVariant* call(const char* path, const char* interface, const char* method, GVariant* arguments) {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(connection, busName.c_str(), path, interface, method,
                                                      arguments, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
                                                      &error);
        EXPECT_EQ(error, nullptr) << (error ? error->message : "");
        if (error) g_error_free(error);
        return reply;
    }
    GVariant* property(const char* name) {
        GVariant* reply = call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", itemInterface, name));
        GVariant* value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }
    // The top-level entries as "id label toggle-state", separators as "-".
    std::vector<std::string> entries() {
        GVariant* reply = call("/MenuBar", menuInterface, "GetLayout",
                               g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
        guint revision = 0;
        GVariant* root = nullptr;
        g_variant_get(reply, "(u@(ia{sv}av))", &revision, &root);
        GVariant* children = g_variant_get_child_value(root, 2);
        std::vector<std::string> result;
        for (gsize i = 0; i < g_variant_n_children(children); ++i) {
            GVariant* boxed = g_variant_get_child_value(children, i);
            GVariant* child = g_variant_get_variant(boxed);
            gint32 id = 0;
            GVariant* properties = nullptr;
            g_variant_get_child(child, 0, "i", &id);
            properties = g_variant_get_child_value(child, 1);
            const char* type = nullptr;
            if (g_variant_lookup(properties, "type", "&s", &type) && std::string(type) == "separator") {
                result.push_back("-");
            } else {
                const char* label = "";
                gint32 state = 0;
                g_variant_lookup(properties, "label", "&s", &label);
                g_variant_lookup(properties, "toggle-state", "i", &state);
                result.push_back(std::to_string(id) + " " + label + " " + std::to_string(state));
            }
            g_variant_unref(properties);
            g_variant_unref(child);
            g_variant_unref(boxed);
        }
        g_variant_unref(children);
        g_variant_unref(root);
        g_variant_unref(reply);
        return result;
    }

    GDBusConnection* connection = nullptr;
    std::unique_ptr<support::ChildProcess> helper;
    std::string busName;
};

TEST_F(StatusItemOnHostTest, APanelReadsTheItemAndItsMenu) {
    GVariant* toolTip = property("ToolTip");
    const char* text = nullptr;
    g_variant_get_child(toolTip, 2, "&s", &text);
    EXPECT_STREQ(text, "Menu bar auto-hide is off");
    g_variant_unref(toolTip);

    GVariant* pixmaps = property("IconPixmap");
    EXPECT_EQ(g_variant_n_children(pixmaps), 3u) << "16, 22 and 32 pixels square";
    g_variant_unref(pixmaps);

    auto menu = entries();
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_TRUE(menu[0].ends_with(" Auto-hide Menu Bar 0")) << menu[0];
    EXPECT_EQ(menu[1], "-");
    EXPECT_TRUE(menu[2].ends_with(" Quit Tarnwick 0")) << menu[2];
}

TEST_F(StatusItemOnHostTest, ClickingAnEntryRunsItsActionAndTheLayoutFollows) {
    int updates = 0;
    guint subscription = g_dbus_connection_signal_subscribe(
        connection, nullptr, menuInterface, "LayoutUpdated", "/MenuBar", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*, gpointer counter) {
            ++*static_cast<int*>(counter);
        },
        &updates, nullptr);

    auto before = entries();
    int id = std::stoi(before[0]);
    g_variant_unref(call("/MenuBar", menuInterface, "Event",
                         g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0u)));
    ASSERT_TRUE(helper->waitForStdout("toggled on\n")) << helper->stderrText();
    for (int turns = 0; turns < 500 && updates == 0; ++turns) {
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(2000);
    }
    EXPECT_GE(updates, 1);
    EXPECT_TRUE(entries()[0].ends_with(" Auto-hide Menu Bar 1"));
    g_dbus_connection_signal_unsubscribe(connection, subscription);

    // "Quit Tarnwick" ends the program as the menu's own quit does.
    int quit = std::stoi(before[2]);
    g_variant_unref(call("/MenuBar", menuInterface, "Event",
                         g_variant_new("(isvu)", quit, "clicked", g_variant_new_int32(0), 0u)));
    EXPECT_EQ(helper->wait(), 0);
    helper.reset();
}

}  // namespace
