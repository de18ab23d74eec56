#pragma once

// Owners for GLib values that are freed with a function of their own.

#include <glib.h>

#include <memory>

namespace host {

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};
// A string GLib allocated.
using GText = std::unique_ptr<gchar, GFree>;

}  // namespace host
