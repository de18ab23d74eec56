#pragma once

// What the status item's two objects on the session bus share: exporting one
// interface at a path, handing GDBus a weak handle instead of the object, and
// the values and errors both send.

#include <functional>
#include <memory>
#include <string>

// GLib's own declarations, repeated so this header needs no GLib include.
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GDBusInterfaceVTable GDBusInterfaceVTable;
typedef struct _GVariant GVariant;
typedef struct _GError GError;
typedef void* gpointer;

namespace host {

// One interface of ours at an object path, described by its introspection
// XML; off the bus again when destroyed.
class BusObject {
public:
    BusObject(GDBusConnection* connection, std::string path, const char* interfaceXml,
              const GDBusInterfaceVTable& vtable, gpointer userData,
              void (*freeUserData)(gpointer));
    ~BusObject();
    BusObject(const BusObject&) = delete;
    BusObject& operator=(const BusObject&) = delete;

    GDBusConnection* connection() const { return connection_; }
    void emitSignal(const char* name, GVariant* parameters) const;

private:
    GDBusConnection* connection_;
    std::string path_;
    std::string interface_;
    unsigned registration_ = 0;
};

// The answer to a property the object does not have, or no longer has.
void setUnknownProperty(GError** error, const char* property);

// GDBus may call back after the object it was given has gone (a callee can
// end the item in the middle of a call), so its user data is a weak handle,
// looked at afresh on every call.
template <typename Object>
struct WeakRoute {
    using Handle = std::weak_ptr<Object*>;

    static gpointer make(const std::shared_ptr<Object*>& alive) { return new Handle(alive); }
    static void free(gpointer data) { delete static_cast<Handle*>(data); }
    static Object* find(gpointer data) { return target(*static_cast<Handle*>(data)); }
    static Object* target(const Handle& handle) {
        auto alive = handle.lock();
        return alive ? *alive : nullptr;
    }

    // A GDBus property getter: the object's own answer, if it is still there
    // and has the property.
    static GVariant* getProperty(GDBusConnection*, const char*, const char*, const char*,
                                 const char* property, GError** error, gpointer data) {
        Object* object = find(data);
        GVariant* value = object ? object->property(property) : nullptr;
        if (!value) setUnknownProperty(error, property);
        return value;
    }
};

// GVariant strings must be UTF-8; a stray byte shows as U+FFFD instead of
// failing the whole reply.
GVariant* textVariant(const std::string& text);

// Calls a handler through a copy of it, since the callee may end whoever
// holds the handler. An empty one does nothing.
template <typename... Parameters, typename... Arguments>
void callCopy(const std::function<void(Parameters...)>& handler, Arguments... arguments) {
    if (!handler) return;
    auto copy = handler;
    copy(arguments...);
}

}  // namespace host
