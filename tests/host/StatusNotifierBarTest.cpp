#include <gio/gio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "host/StatusNotifierBar.h"

namespace {

using Bar = host::StatusNotifierBar;
using platform::StatusMenuEntry;

struct VariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

// The bar answers on the main loop, so every wait runs it.
bool pumpUntil(const std::function<bool()>& done, double seconds = 5) {
    auto deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
    while (!done()) {
        if (g_get_monotonic_time() > deadline) return false;
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
    }
    return true;
}

std::string printed(GVariant* value) {
    g_autofree gchar* text = g_variant_print(value, FALSE);
    return text;
}

// What a panel sees: its own connection to the session bus.
class Panel {
public:
    struct Reply {
        bool done = false;
        Variant value;
        std::string error;
    };

    Panel() {
        g_autofree gchar* address =
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        auto flags =
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        if (address) {
            connection =
                g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, nullptr);
        }
    }
    ~Panel() {
        if (!connection) return;
        for (auto subscription : subscriptions_) {
            g_dbus_connection_signal_unsubscribe(connection, subscription);
        }
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_object_unref(connection);
    }

    std::shared_ptr<Reply> callAsync(const std::string& destination, const std::string& path,
                                     const char* interface, const char* method,
                                     GVariant* parameters) {
        auto reply = std::make_shared<Reply>();
        g_dbus_connection_call(connection, destination.c_str(), path.c_str(), interface, method,
                               parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, 4000, nullptr, onReply,
                               new std::shared_ptr<Reply>(reply));
        return reply;
    }

    Variant call(const std::string& destination, const std::string& path, const char* interface,
                 const char* method, GVariant* parameters, std::string* error = nullptr) {
        auto reply = callAsync(destination, path, interface, method, parameters);
        pumpUntil([&] { return reply->done; });
        if (error) *error = reply->error;
        return std::move(reply->value);
    }

    bool hasOwner(const std::string& name) {
        auto reply = call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", g_variant_new("(s)", name.c_str()));
        gboolean owned = FALSE;
        if (reply) g_variant_get(reply.get(), "(b)", &owned);
        return owned;
    }

    // Every signal the name sends, as "Member body". The bus handles one
    // connection's messages in order, so once a call to it returns, the
    // match rule is in force.
    void listen(const std::string& sender) {
        subscriptions_.push_back(g_dbus_connection_signal_subscribe(
            connection, sender.c_str(), nullptr, nullptr, nullptr, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onSignal, this, nullptr));
        hasOwner(sender);
    }

    GDBusConnection* connection = nullptr;
    std::vector<std::string> signals;

private:
    static void onReply(GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<std::shared_ptr<Reply>> reply(static_cast<std::shared_ptr<Reply>*>(data));
        GError* error = nullptr;
        (*reply)->value.reset(
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error));
        if (error) (*reply)->error = error->message;
        g_clear_error(&error);
        (*reply)->done = true;
    }
    static void onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                         const gchar* member, GVariant* parameters, gpointer data) {
        static_cast<Panel*>(data)->signals.push_back(std::string(member) + " " +
                                                     printed(parameters));
    }

    std::vector<unsigned> subscriptions_;
};

// Owns org.kde.StatusNotifierWatcher on the panel's connection and keeps
// what items register.
class FakeWatcher {
public:
    explicit FakeWatcher(Panel& panel) : panel_(panel) {
        info_ = g_dbus_node_info_new_for_xml(
            "<node><interface name='org.kde.StatusNotifierWatcher'>"
            "<method name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method>"
            "</interface></node>",
            nullptr);
    }
    ~FakeWatcher() {
        stop();
        g_dbus_node_info_unref(info_);
    }

    void start() {
        static const GDBusInterfaceVTable vtable = {onCall, nullptr, nullptr, {}};
        object_ = g_dbus_connection_register_object(panel_.connection, Bar::watcherPath,
                                                    info_->interfaces[0], &vtable, this, nullptr,
                                                    nullptr);
        owner_ = g_bus_own_name_on_connection(panel_.connection, Bar::watcherName,
                                              G_BUS_NAME_OWNER_FLAGS_NONE, nullptr, nullptr,
                                              nullptr, nullptr);
    }
    void stop() {
        if (owner_) g_bus_unown_name(owner_);
        if (object_) g_dbus_connection_unregister_object(panel_.connection, object_);
        owner_ = object_ = 0;
    }

    std::vector<std::string> registrations;

private:
    static void onCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        const gchar* service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        static_cast<FakeWatcher*>(data)->registrations.push_back(service);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    Panel& panel_;
    GDBusNodeInfo* info_ = nullptr;
    unsigned object_ = 0;
    unsigned owner_ = 0;
};

StatusMenuEntry entry(int id, const std::string& label) {
    StatusMenuEntry made;
    made.id = id;
    made.label = label;
    return made;
}

StatusMenuEntry checkmark(int id, const std::string& label, int state) {
    auto made = entry(id, label);
    made.toggle = StatusMenuEntry::Toggle::checkmark;
    made.toggleState = state;
    return made;
}

StatusMenuEntry sampleMenu() {
    auto header = entry(1, "Icons");
    header.kind = StatusMenuEntry::Kind::sectionHeader;
    auto showAll = checkmark(2, "Show_All", 1);
    showAll.shortcut = {"Super", "q"};
    showAll.toolTip = "Reveal hidden icons";
    StatusMenuEntry separator;
    separator.id = 5;
    separator.kind = StatusMenuEntry::Kind::separator;
    auto updates = entry(6, "Check for Updates");
    updates.enabled = false;
    auto more = entry(7, "More");
    more.children = {entry(8, "About")};
    StatusMenuEntry root;
    root.children = {header,  showAll, checkmark(3, "Hide", 0), checkmark(4, "Some", -1), separator,
                     updates, more,    entry(9, "Quit")};
    return root;
}

GVariant* idsVariant(const std::vector<gint32>& ids) {
    return g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, ids.data(), ids.size(), sizeof(gint32));
}

// One line per entry, indented by depth: what a panel would draw from.
void describeLayout(GVariant* node, int depth, std::vector<std::string>& lines) {
    gint32 id = 0;
    g_autoptr(GVariant) properties = nullptr;
    g_autoptr(GVariant) children = nullptr;
    g_variant_get(node, "(i@a{sv}@av)", &id, &properties, &children);
    lines.push_back(std::string(depth * 2, ' ') + std::to_string(id) + " " + printed(properties));
    for (gsize index = 0; index < g_variant_n_children(children); ++index) {
        g_autoptr(GVariant) child = nullptr;
        g_variant_get_child(children, index, "v", &child);
        describeLayout(child, depth + 1, lines);
    }
}

class StatusNotifierBarTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "no session bus";
        ASSERT_TRUE(bar.connected());
        ASSERT_NE(panel.connection, nullptr);
        item = bar.addItem({[this](int menuId) {
                                opened.push_back(menuId);
                                if (onOpen) onOpen(menuId);
                            },
                            [this](int entryId) {
                                clicked.push_back(entryId);
                                if (onClick) onClick(entryId);
                            },
                            [this](int x, int y) { menuRequests.push_back({x, y}); },
                            [this] { ++appearanceChanges; }});
        name = bar.busName(item);
        ASSERT_TRUE(pumpUntil([&] { return panel.hasOwner(name); })) << name;
    }

    Variant menuCall(const char* method, GVariant* parameters, std::string* error = nullptr) {
        return panel.call(name, "/MenuBar", Bar::menuInterface, method, parameters, error);
    }

    std::pair<unsigned, std::vector<std::string>> layout(int parent = 0, int depth = -1,
                                                         std::vector<const char*> names = {}) {
        names.push_back(nullptr);
        auto reply = menuCall("GetLayout", g_variant_new("(ii^as)", parent, depth, names.data()));
        guint32 revision = 0;
        g_autoptr(GVariant) root = nullptr;
        if (reply) g_variant_get(reply.get(), "(u@(ia{sv}av))", &revision, &root);
        std::vector<std::string> lines;
        if (root) describeLayout(root, 0, lines);
        return {revision, lines};
    }

    bool aboutToShow(int id) {
        auto reply = menuCall("AboutToShow", g_variant_new("(i)", id));
        gboolean needUpdate = FALSE;
        if (reply) g_variant_get(reply.get(), "(b)", &needUpdate);
        return needUpdate;
    }

    GVariant* event(int id, const char* eventId) {
        return g_variant_new("(isvu)", id, eventId, g_variant_new_int32(0), 0u);
    }

    Bar bar;
    Panel panel;
    platform::StatusItemId item = 0;
    std::string name;
    std::vector<int> opened;
    std::vector<int> clicked;
    std::vector<std::pair<int, int>> menuRequests;
    int appearanceChanges = 0;
    std::function<void(int)> onOpen;
    std::function<void(int)> onClick;
};

TEST_F(StatusNotifierBarTest, ItemShowsIconTooltipAndLabelAndSignalsEachChangeOnce) {
    EXPECT_TRUE(std::regex_match(
        name, std::regex("org\\.kde\\.StatusNotifierItem-" + std::to_string(getpid()) + "-[0-9]+")))
        << name;
    panel.listen(name);
    // Premultiplied: half-transparent (128, 64, 0), opaque (16, 32, 48), clear.
    bar.setIcon(item, {{3, 1, {0x80402000, 0xff102030, 0x00000000}}, {2, 2, {0xff000000}}});
    bar.setToolTip(item, "2 icons hidden");
    bar.setTitle(item, "▲");
    // Unchanged: no signals.
    bar.setIcon(item, {{3, 1, {0x80402000, 0xff102030, 0x00000000}}});
    bar.setToolTip(item, "2 icons hidden");
    bar.setTitle(item, "▲");

    auto reply = panel.call(name, "/StatusNotifierItem", "org.freedesktop.DBus.Properties",
                            "GetAll", g_variant_new("(s)", Bar::itemInterface));
    ASSERT_TRUE(reply);
    g_autoptr(GVariant) all = g_variant_get_child_value(reply.get(), 0);
    auto property = [&](const char* key) {
        Variant value(g_variant_lookup_value(all, key, nullptr));
        return value ? printed(value.get()) : "(absent)";
    };
    EXPECT_EQ(property("Title"), "'Tarnwick'");
    EXPECT_EQ(property("XAyatanaLabel"), "'▲'");
    EXPECT_EQ(property("ToolTip"), "('', [], '2 icons hidden', '')");
    EXPECT_EQ(property("ItemIsMenu"), "true");
    EXPECT_EQ(property("Menu"), "'/MenuBar'");
    EXPECT_EQ(property("Status"), "'Active'");
    EXPECT_EQ(property("Category"), "'ApplicationStatus'");
    EXPECT_EQ(property("Id"), "'tarnwick'");

    // Network byte order, straight alpha; the image with too few pixels is left out.
    Variant pixmaps(g_variant_lookup_value(all, "IconPixmap", G_VARIANT_TYPE("a(iiay)")));
    ASSERT_TRUE(pixmaps);
    ASSERT_EQ(g_variant_n_children(pixmaps.get()), 1u);
    gint32 width = 0;
    gint32 height = 0;
    g_autoptr(GVariant) bytes = nullptr;
    g_variant_get_child(pixmaps.get(), 0, "(ii@ay)", &width, &height, &bytes);
    gsize count = 0;
    auto* data = static_cast<const guint8*>(g_variant_get_fixed_array(bytes, &count, 1));
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(std::vector<guint8>(data, data + count),
              (std::vector<guint8>{0x80, 0x80, 0x40, 0x00, 0xff, 0x10, 0x20, 0x30, 0, 0, 0, 0}));

    EXPECT_EQ(panel.signals,
              (std::vector<std::string>{"NewIcon ()", "NewToolTip ()",
                                        "XAyatanaNewLabel ('▲', '▲')", "NewTitle ()"}));
}

TEST_F(StatusNotifierBarTest, MenuLayoutCarriesLabelsChecksShortcutsAndSeparators) {
    bar.setMenu(item, sampleMenu());
    auto [revision, lines] = layout();
    EXPECT_EQ(revision, 2u);
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "0 {'children-display': <'submenu'>}",
                  "  1 {'enabled': <false>, 'label': <'Icons'>}",
                  "  2 {'accessible-desc': <'Reveal hidden icons'>, 'label': <'Show__All'>, "
                  "'shortcut': <[['Super', 'q']]>, 'toggle-state': <1>, "
                  "'toggle-type': <'checkmark'>, 'x-tarnwick-tooltip': <'Reveal hidden "
                  "icons'>}",
                  "  3 {'label': <'Hide'>, 'toggle-state': <0>, 'toggle-type': <'checkmark'>}",
                  "  4 {'label': <'Some'>, 'toggle-type': <'checkmark'>}",
                  "  5 {'type': <'separator'>}",
                  "  6 {'enabled': <false>, 'label': <'Check for Updates'>}",
                  "  7 {'children-display': <'submenu'>, 'label': <'More'>}",
                  "    8 {'label': <'About'>}",
                  "  9 {'label': <'Quit'>}",
              }));
    // Only what was asked for, only as deep as asked.
    EXPECT_EQ(layout(7, 0).second,
              std::vector<std::string>{"7 {'children-display': <'submenu'>, 'label': <'More'>}"});
    EXPECT_EQ(layout(7, 1, {"label"}).second,
              (std::vector<std::string>{"7 {'label': <'More'>}", "  8 {'label': <'About'>}"}));

    // A mixed check mark is the unsent default, which a panel can still ask for.
    auto mixed = menuCall("GetProperty", g_variant_new("(is)", 4, "toggle-state"));
    ASSERT_TRUE(mixed);
    EXPECT_EQ(printed(mixed.get()), "(<-1>,)");
    auto group = menuCall("GetGroupProperties",
                          g_variant_new("(@ai^as)", idsVariant({3, 8}),
                                        std::vector<const char*>{"label", nullptr}.data()));
    ASSERT_TRUE(group);
    EXPECT_EQ(printed(group.get()), "([(3, {'label': <'Hide'>}), (8, {'label': <'About'>})],)");
    std::string error;
    EXPECT_FALSE(menuCall(
        "GetLayout", g_variant_new("(ii@as)", 42, -1, g_variant_new_strv(nullptr, 0)), &error));
    EXPECT_NE(error.find("42"), std::string::npos) << error;
}

TEST_F(StatusNotifierBarTest, OpeningTheMenuLetsTheProgramRebuildItAndTellsThePanel) {
    bar.setMenu(item, sampleMenu());
    EXPECT_FALSE(aboutToShow(0));
    // Rebuilt the same: nothing for the panel to fetch.
    onOpen = [&](int) { bar.setMenu(item, sampleMenu()); };
    EXPECT_FALSE(aboutToShow(7));
    onOpen = [&](int) {
        auto changed = sampleMenu();
        changed.children.back().label = "Quit Tarnwick";
        bar.setMenu(item, changed);
    };
    EXPECT_TRUE(aboutToShow(0));
    auto [revision, lines] = layout();
    EXPECT_EQ(revision, 3u);
    EXPECT_EQ(lines.back(), "  9 {'label': <'Quit Tarnwick'>}");

    // Panels that send "opened" after AboutToShow, or instead of it.
    onOpen = nullptr;
    menuCall("Event", event(0, "opened"));
    menuCall("Event", event(0, "closed"));
    menuCall("Event", event(0, "opened"));
    menuCall("Event", event(7, "closed"));  // announced, then closed unopened
    menuCall("Event", event(7, "opened"));
    EXPECT_EQ(opened, (std::vector<int>{0, 7, 0, 0, 7}));

    std::string error;
    EXPECT_FALSE(menuCall("AboutToShow", g_variant_new("(i)", 42), &error));
    EXPECT_NE(error.find("42"), std::string::npos) << error;
}

TEST_F(StatusNotifierBarTest, ClickRunsTheEntrysActionAfterThePanelHasItsAnswer) {
    bar.setMenu(item, sampleMenu());
    // An action may run a modal loop; the panel must not wait for it.
    std::shared_ptr<Panel::Reply> reply;
    bool answeredFirst = false;
    onClick = [&](int) { answeredFirst = pumpUntil([&] { return reply->done; }, 1); };
    reply = panel.callAsync(name, "/MenuBar", Bar::menuInterface, "Event", event(9, "clicked"));
    ASSERT_TRUE(pumpUntil([&] { return !clicked.empty(); }));
    EXPECT_TRUE(answeredFirst);
    EXPECT_EQ(reply->error, "");

    // Headers, separators and disabled entries do nothing; unknown ids are errors.
    onClick = nullptr;
    for (int id : {1, 5, 6}) menuCall("Event", event(id, "clicked"));
    std::string error;
    EXPECT_FALSE(menuCall("Event", event(42, "clicked"), &error));
    EXPECT_NE(error.find("42"), std::string::npos) << error;
    GVariantBuilder events;
    g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
    g_variant_builder_add_value(&events, event(3, "clicked"));
    g_variant_builder_add_value(&events, event(43, "clicked"));
    auto idErrors = menuCall("EventGroup", g_variant_new("(a(isvu))", &events));
    ASSERT_TRUE(idErrors);
    EXPECT_EQ(printed(idErrors.get()), "([43],)");
    ASSERT_TRUE(pumpUntil([&] { return clicked.size() == 2; }));
    pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(clicked, (std::vector<int>{9, 3}));

    // A panel that calls Activate (LXQt's left click) or ContextMenu instead
    // of opening the menu asks the program to show it there; a middle click
    // and a call of another shape ask for nothing.
    auto itemCall = [&](const char* method, GVariant* parameters) {
        return panel.call(name, "/StatusNotifierItem", Bar::itemInterface, method, parameters);
    };
    EXPECT_TRUE(itemCall("Activate", g_variant_new("(ii)", 1200, 14)));
    EXPECT_TRUE(itemCall("ContextMenu", g_variant_new("(ii)", 30, 790)));
    itemCall("SecondaryActivate", g_variant_new("(ii)", 5, 5));
    ASSERT_TRUE(pumpUntil([&] { return menuRequests.size() == 2; }));
    pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(menuRequests, (std::vector<std::pair<int, int>>{{1200, 14}, {30, 790}}));
}

// Whatever a client sends, the work done and the reply are sized by the
// menu: repeated ids count once, unknown ids are named back only as many
// times as the menu has entries, and a batch of events larger than the menu
// could cause is refused whole.
TEST_F(StatusNotifierBarTest, RequestsAreAnsweredBySizeOfTheMenuNotOfTheRequest) {
    bar.setMenu(item, sampleMenu());
    auto group = menuCall("GetGroupProperties",
                          g_variant_new("(@ai^as)", idsVariant(std::vector<gint32>(100000, 3)),
                                        std::vector<const char*>{"label", nullptr}.data()));
    ASSERT_TRUE(group);
    EXPECT_EQ(printed(group.get()), "([(3, {'label': <'Hide'>})],)");

    std::vector<gint32> strangers(100000);
    for (std::size_t index = 0; index < strangers.size(); ++index) strangers[index] = 1000 + gint32(index);
    strangers.push_back(7);
    auto shown = menuCall("AboutToShowGroup", g_variant_new("(@ai)", idsVariant(strangers)));
    ASSERT_TRUE(shown);
    g_autoptr(GVariant) errors = g_variant_get_child_value(shown.get(), 1);
    EXPECT_LE(g_variant_n_children(errors), 10u);
    EXPECT_EQ(opened, std::vector<int>{7});

    GVariantBuilder events;
    g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
    for (int click = 0; click < 3; ++click) g_variant_builder_add_value(&events, event(3, "clicked"));
    ASSERT_TRUE(menuCall("EventGroup", g_variant_new("(a(isvu))", &events)));
    g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
    for (int click = 0; click < 10000; ++click) g_variant_builder_add_value(&events, event(9, "clicked"));
    std::string error;
    EXPECT_FALSE(menuCall("EventGroup", g_variant_new("(a(isvu))", &events), &error));
    EXPECT_NE(error.find("10000 events"), std::string::npos) << error;
    pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(clicked, std::vector<int>{3});
}

// Items hear when the panel behind them turns dark or light, once per change.
TEST_F(StatusNotifierBarTest, ItemsHearWhenTheStatusAreaChangesShade) {
    EXPECT_FALSE(bar.isDark());
    bar.setDark(true);
    bar.setDark(true);
    EXPECT_TRUE(bar.isDark());
    bar.setDark(false);
    EXPECT_EQ(appearanceChanges, 2);
}

// The program may end an item as its menu opens: what the panel asked for
// beyond that is answered as unknown, and the item's path is free again.
TEST_F(StatusNotifierBarTest, ItemEndedWhileItsMenuOpensAnswersTheRestAsUnknown) {
    struct Address {
        std::string name;
        std::string menuPath;
    };
    auto addSelfEndingItem = [&] {
        auto id = std::make_shared<platform::StatusItemId>();
        Bar::Callbacks callbacks;
        callbacks.menuWillOpen = [&, id](int menuId) {
            opened.push_back(menuId);
            bar.removeItem(*id);
        };
        *id = bar.addItem(callbacks);
        bar.setMenu(*id, sampleMenu());
        auto itemName = bar.busName(*id);
        EXPECT_TRUE(pumpUntil([&] { return panel.hasOwner(itemName); })) << itemName;
        return Address{itemName, bar.menuPath(*id)};
    };

    auto first = addSelfEndingItem();
    auto shown = panel.call(first.name, first.menuPath, Bar::menuInterface, "AboutToShowGroup",
                            g_variant_new("(@ai)", idsVariant({0, 7})));
    ASSERT_TRUE(shown);
    EXPECT_EQ(printed(shown.get()), "([], [7])");

    auto second = addSelfEndingItem();
    EXPECT_EQ(second.menuPath, first.menuPath);
    GVariantBuilder events;
    g_variant_builder_init(&events, G_VARIANT_TYPE("a(isvu)"));
    for (int id : {0, 7}) g_variant_builder_add_value(&events, event(id, "opened"));
    g_variant_builder_add_value(&events, event(9, "clicked"));
    auto idErrors = panel.call(second.name, second.menuPath, Bar::menuInterface, "EventGroup",
                               g_variant_new("(a(isvu))", &events));
    ASSERT_TRUE(idErrors);
    EXPECT_EQ(printed(idErrors.get()), "([7, 9],)");

    EXPECT_EQ(opened, (std::vector<int>{0, 0}));
    EXPECT_TRUE(
        pumpUntil([&] { return !panel.hasOwner(first.name) && !panel.hasOwner(second.name); }));
}

TEST_F(StatusNotifierBarTest, NewMenuSendsLayoutAndPropertyChangesOnlyWhenItChanged) {
    panel.listen(name);
    bar.setMenu(item, sampleMenu());
    auto changed = sampleMenu();
    changed.children[5].enabled = true;               // "Check for Updates"
    changed.children.back().label = "Quit Tarnwick";  // id 9
    changed.children[6].children.clear();             // "About" goes
    bar.setMenu(item, changed);
    bar.setMenu(item, changed);
    layout();  // the bar's signals come before its answer
    EXPECT_EQ(panel.signals, (std::vector<std::string>{
                                 "LayoutUpdated (2, 0)",
                                 "LayoutUpdated (3, 0)",
                                 "ItemsPropertiesUpdated ([(9, {'label': <'Quit Tarnwick'>})], "
                                 "[(6, ['enabled']), (7, ['children-display'])])",
                             }));
}

TEST_F(StatusNotifierBarTest, ItemsRegisterWithTheWatcherWheneverOneStarts) {
    FakeWatcher watcher(panel);
    watcher.start();
    ASSERT_TRUE(pumpUntil([&] { return watcher.registrations.size() == 1; }));
    EXPECT_EQ(watcher.registrations[0], name);

    // A second item shares our connection, so it registers by object path.
    auto second = bar.addItem({});
    ASSERT_TRUE(pumpUntil([&] { return watcher.registrations.size() == 2; }));
    EXPECT_EQ(watcher.registrations[1], "/StatusNotifierItem/2");
    auto number = [](const std::string& busName) {
        return std::stoi(busName.substr(busName.rfind('-') + 1));
    };
    EXPECT_EQ(number(bar.busName(second)), number(name) + 1);
    EXPECT_EQ(bar.menuPath(second), "/MenuBar/2");
    auto secondLayout =
        panel.call(bar.busName(second), "/MenuBar/2", Bar::menuInterface, "GetLayout",
                   g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
    EXPECT_TRUE(secondLayout);

    watcher.stop();
    ASSERT_TRUE(pumpUntil([&] { return !panel.hasOwner(Bar::watcherName); }));
    watcher.start();
    ASSERT_TRUE(pumpUntil([&] { return watcher.registrations.size() == 4; }));
    std::vector again(watcher.registrations.begin() + 2, watcher.registrations.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(again, (std::vector<std::string>{"/StatusNotifierItem/2", name}));

    // Gone from the bus when removed.
    auto secondName = bar.busName(second);
    bar.removeItem(second);
    EXPECT_TRUE(pumpUntil([&] { return !panel.hasOwner(secondName); }));
}

TEST(StatusNotifierBarWithoutBusTest, EveryCallDoesNothing) {
    Bar bar(nullptr);
    EXPECT_FALSE(bar.connected());
    auto first = bar.addItem({});
    auto second = bar.addItem({});
    EXPECT_NE(first, second);
    bar.setIcon(first, {{1, 1, {0xff000000}}});
    bar.setTitle(first, "▲");
    bar.setToolTip(first, "tip");
    bar.setMenu(first, sampleMenu());
    bar.removeItem(first);
    EXPECT_EQ(bar.busName(second), "");
}

}  // namespace
