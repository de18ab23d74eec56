#include "host/XkbKeyboardLayout.h"

#include <xkbcommon/xkbcommon-names.h>

#include <bitset>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <vector>

#include "host/VirtualKeyCodes.h"
#include "host/x11/X11CoreKeyboard.h"

namespace host {
namespace {

// The file is a few lines; anything much larger is not what we expect.
constexpr std::size_t maximumDefaultsFileSize = 64 * 1024;

// Every key the program names lies in 0 to 127.
constexpr std::uint16_t lastVirtualKeyCode = 127;

std::string_view trimmed(std::string_view text) {
    auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos) return {};
    auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

// A shell word: "double quoted", 'single quoted', or bare up to a blank or a
// comment. An unterminated quote runs to the end of the line.
std::string shellValue(std::string_view text) {
    if (text.empty()) return {};
    char quote = text.front();
    if (quote == '"' || quote == '\'') {
        auto end = text.find(quote, 1);
        return std::string(text.substr(1, end == std::string_view::npos ? end : end - 1));
    }
    return std::string(text.substr(0, text.find_first_of(" \t#")));
}

std::string readDefaultsFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::string text(maximumDefaultsFileSize, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

XkbLayoutNames usLayout() {
    XkbLayoutNames names;
    names.layout = "us";
    return names;
}

xkb_keymap* compileKeymap(xkb_context* context, const XkbLayoutNames& names) {
    if (!context) return nullptr;
    auto orNull = [](const std::string& name) { return name.empty() ? nullptr : name.c_str(); };
    xkb_rule_names rmlvo{orNull(names.rules), orNull(names.model), orNull(names.layout),
                         orNull(names.variant), orNull(names.options)};
    return xkb_keymap_new_from_names(context, &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS);
}

// Whether the group types every letter a to z on some key without modifiers.
// Cyrillic, Greek or Arabic groups type none; we name keys by Latin letters.
bool typesASCIILetters(xkb_keymap* keymap, xkb_layout_index_t group) {
    std::bitset<26> letters;
    for (std::uint16_t virtualKey = 0; virtualKey <= lastVirtualKeyCode; ++virtualKey) {
        auto key = xkbKeyCode(virtualKey);
        if (!key) continue;
        const xkb_keysym_t* symbols = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, *key, group, 0, &symbols) != 1) continue;
        if (symbols[0] >= XKB_KEY_a && symbols[0] <= XKB_KEY_z) {
            letters.set(symbols[0] - XKB_KEY_a);
        }
    }
    return letters.all();
}

std::optional<xkb_layout_index_t> asciiCapableGroup(xkb_keymap* keymap) {
    if (!keymap) return std::nullopt;
    for (xkb_layout_index_t group = 0; group < xkb_keymap_num_layouts(keymap); ++group) {
        if (typesASCIILetters(keymap, group)) return group;
    }
    return std::nullopt;
}

// A dead key shows the accent it puts on the next letter, in its spacing form.
std::optional<std::string_view> deadKeyText(xkb_keysym_t symbol) {
    switch (symbol) {
        case XKB_KEY_dead_grave:
            return "`";
        case XKB_KEY_dead_acute:
            return "´";
        case XKB_KEY_dead_circumflex:
            return "^";
        case XKB_KEY_dead_tilde:
            return "~";
        case XKB_KEY_dead_macron:
            return "¯";
        case XKB_KEY_dead_breve:
            return "˘";
        case XKB_KEY_dead_abovedot:
            return "˙";
        case XKB_KEY_dead_diaeresis:
            return "¨";
        case XKB_KEY_dead_abovering:
            return "˚";
        case XKB_KEY_dead_doubleacute:
            return "˝";
        case XKB_KEY_dead_caron:
            return "ˇ";
        case XKB_KEY_dead_cedilla:
            return "¸";
        case XKB_KEY_dead_ogonek:
            return "˛";
        case XKB_KEY_dead_iota:
            return "ͺ";
        case XKB_KEY_dead_voiced_sound:
            return "゛";
        case XKB_KEY_dead_semivoiced_sound:
            return "゜";
        case XKB_KEY_dead_psili:
            return "᾿";
        case XKB_KEY_dead_dasia:
            return "῾";
        default:
            return std::nullopt;
    }
}

std::optional<std::string> keysymText(xkb_keysym_t symbol) {
    if (auto dead = deadKeyText(symbol)) return std::string(*dead);
    char buffer[16];
    int written = xkb_keysym_to_utf8(symbol, buffer, sizeof buffer);
    // The count includes the terminating NUL; 0 means no text.
    if (written <= 1) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(written - 1));
}

// What every key types, to tell whether a change renamed any.
using KeyTexts = std::vector<std::optional<std::string>>;

KeyTexts everyKeysText(platform::KeyboardLayout& layout) {
    KeyTexts texts;
    for (std::uint16_t virtualKey = 0; virtualKey <= lastVirtualKeyCode; ++virtualKey) {
        texts.push_back(layout.characters(virtualKey));
    }
    return texts;
}

}  // namespace

std::optional<XkbLayoutNames> parseKeyboardDefaults(std::string_view text) {
    // Names go to xkbcommon as C strings; a file with NUL bytes is no
    // settings file at all.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    XkbLayoutNames names;
    while (!text.empty()) {
        auto newline = text.find('\n');
        std::string_view line = trimmed(text.substr(0, newline));
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        if (line.starts_with("export ")) line = trimmed(line.substr(7));
        auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        std::string_view key = trimmed(line.substr(0, equals));
        std::string value = shellValue(trimmed(line.substr(equals + 1)));
        if (key == "XKBMODEL") names.model = value;
        if (key == "XKBLAYOUT") names.layout = value;
        if (key == "XKBVARIANT") names.variant = value;
        if (key == "XKBOPTIONS") names.options = value;
    }
    if (names.layout.empty()) return std::nullopt;
    return names;
}

XkbLayoutNames desktopLayoutNames(const std::string& keyboardDefaultsPath) {
    if (!environmentValue("XKB_DEFAULT_LAYOUT").empty()) {
        return {environmentValue("XKB_DEFAULT_RULES"), environmentValue("XKB_DEFAULT_MODEL"),
                environmentValue("XKB_DEFAULT_LAYOUT"), environmentValue("XKB_DEFAULT_VARIANT"),
                environmentValue("XKB_DEFAULT_OPTIONS")};
    }
    if (auto names = parseKeyboardDefaults(readDefaultsFile(keyboardDefaultsPath))) return *names;
    return usLayout();
}

XkbKeyboardLayout::XkbKeyboardLayout(X11Connection& connection)
    // Names come from the server or the desktop's settings, in full; the
    // environment must not fill in gaps.
    : context_(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES)),
      serverKeyboard_(std::make_unique<X11CoreKeyboard>(connection, context_.get(),
                                                        [this] { serverKeyboardChanged(); })) {
    if (xkb_keymap* server = serverKeyboard_->keymap()) {
        use(KeymapPointer(xkb_keymap_ref(server)), groupToRead(server, serverKeyboard_->group()));
        return;
    }
    serverKeyboard_.reset();
    useNames(desktopLayoutNames());
}

XkbKeyboardLayout::XkbKeyboardLayout(const XkbLayoutNames& names)
    : context_(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES)) {
    useNames(names);
}

XkbKeyboardLayout::~XkbKeyboardLayout() = default;

void XkbKeyboardLayout::useNames(const XkbLayoutNames& names) {
    KeymapPointer keymap(compileKeymap(context_.get(), names));
    auto group = asciiCapableGroup(keymap.get());
    use(std::move(keymap), group);
}

void XkbKeyboardLayout::use(KeymapPointer keymap, std::optional<xkb_layout_index_t> group) {
    if (!group) {
        keymap.reset(compileKeymap(context_.get(), usLayout()));
        group = asciiCapableGroup(keymap.get());
    }
    state_.reset();
    keymap_.reset();
    if (!group) return;
    keymap_ = std::move(keymap);
    group_ = *group;
    state_.reset(xkb_state_new(keymap_.get()));
    if (!state_) return;
    // Keypad keys type digits as they do on the keyboards our key codes come
    // from, so read them with Num Lock on.
    xkb_mod_mask_t locked = 0;
    xkb_mod_index_t numLock = xkb_keymap_mod_get_index(keymap_.get(), XKB_MOD_NAME_NUM);
    if (numLock != XKB_MOD_INVALID) locked |= xkb_mod_mask_t{1} << numLock;
    xkb_state_update_mask(state_.get(), 0, 0, locked, 0, 0, group_);
}

// The active group when it types Latin letters. Else, while the keymap stays,
// the group read so far: the last Latin one the user had. Else the keymap's
// first Latin group.
std::optional<xkb_layout_index_t> XkbKeyboardLayout::groupToRead(xkb_keymap* keymap,
                                                                 xkb_layout_index_t active) const {
    if (active < xkb_keymap_num_layouts(keymap) && typesASCIILetters(keymap, active)) return active;
    if (keymap == keymap_.get() && state_) return group_;
    return asciiCapableGroup(keymap);
}

void XkbKeyboardLayout::serverKeyboardChanged() {
    KeyTexts before = everyKeysText(*this);
    xkb_keymap* server = serverKeyboard_->keymap();
    use(KeymapPointer(xkb_keymap_ref(server)), groupToRead(server, serverKeyboard_->group()));
    if (changeHandler_ && everyKeysText(*this) != before) changeHandler_();
}

void XkbKeyboardLayout::setChangeHandler(ChangeHandler handler) {
    changeHandler_ = std::move(handler);
}

std::optional<std::string> XkbKeyboardLayout::characters(std::uint16_t keyCode) {
    if (!state_) return std::nullopt;
    auto key = xkbKeyCode(keyCode);
    if (!key) return std::nullopt;
    const xkb_keysym_t* symbols = nullptr;
    int count = xkb_state_key_get_syms(state_.get(), *key, &symbols);
    if (count <= 0) return std::nullopt;
    std::string text;
    for (int i = 0; i < count; ++i) {
        auto part = keysymText(symbols[i]);
        if (!part) return std::nullopt;
        text += *part;
    }
    return text;
}

std::string XkbKeyboardLayout::groupName() const {
    if (!keymap_) return {};
    const char* name = xkb_keymap_layout_get_name(keymap_.get(), group_);
    return name ? name : "";
}

}  // namespace host
