#include "host/tray/BusObject.h"

#include <gio/gio.h>

namespace host {

BusObject::BusObject(GDBusConnection* connection, std::string path, const char* interfaceXml,
                     const GDBusInterfaceVTable& vtable, gpointer userData,
                     void (*freeUserData)(gpointer))
    : connection_(G_DBUS_CONNECTION(g_object_ref(connection))), path_(std::move(path)) {
    // The registration keeps its own reference to the interface's description.
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(interfaceXml, nullptr);
    GDBusInterfaceInfo* interface = node->interfaces[0];
    interface_ = interface->name;
    registration_ = g_dbus_connection_register_object(connection_, path_.c_str(), interface,
                                                      &vtable, userData, freeUserData, nullptr);
}

BusObject::~BusObject() {
    if (registration_) g_dbus_connection_unregister_object(connection_, registration_);
    g_object_unref(connection_);
}

void BusObject::emitSignal(const char* name, GVariant* parameters) const {
    g_dbus_connection_emit_signal(connection_, nullptr, path_.c_str(), interface_.c_str(), name,
                                  parameters, nullptr);
}

GVariant* textVariant(const std::string& text) {
    auto length = static_cast<gssize>(text.size());
    if (g_utf8_validate(text.data(), length, nullptr)) return g_variant_new_string(text.c_str());
    g_autofree gchar* valid = g_utf8_make_valid(text.data(), length);
    return g_variant_new_string(valid);
}

void setUnknownProperty(GError** error, const char* property) {
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", property);
}

}  // namespace host
