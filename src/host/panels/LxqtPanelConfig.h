#pragma once

// lxqt-panel's panel.conf (~/.config/lxqt/panel.conf) as text: which panels
// it starts, which sit along the top of their screen, and which hide.
//
// Read the way lxqt-panel 1.2 reads it through Qt 5's QSettings on Linux:
// section and key names are case-sensitive and may hold "%XX" escapes
// (QSettings writes "[panel_%7B...%7D]" for "panel_{...}"), values may be
// quoted, backslash-escaped or comma-separated lists, an unquoted ";" starts a
// comment, and of repeated keys the last one counts, repeated sections
// included. Names come back as the file's bytes with the escapes decoded.

#include <string>
#include <string_view>
#include <vector>

namespace host::lxqt {

// The panels lxqt-panel starts: the names in [General]'s `panels` list, in
// order, without repeats or empty names; "panel1" when there is no list.
std::vector<std::string> panelNames(std::string_view configText);

// The listed panels whose `position` is Top, in any case; a missing position
// means Bottom.
std::vector<std::string> topPanels(std::string_view configText);

// The panel's `hidable` read as a QVariant bool: empty, "0" and "false" in any
// case are false, any other text true. False when the key or the section is
// missing, and for an empty name.
bool isHidable(std::string_view configText, std::string_view panel);

// The text with `hidable` set in each named panel's section, every other byte
// as it was. Each `hidable` line there that reads otherwise gets the new value;
// a section without one gets a `hidable=` line where QSettings would put it,
// in order among sorted keys or else after the last key; a missing section is
// added at the end after a blank line. Text that already reads so comes back
// unchanged. Empty names are skipped.
std::string withHidable(std::string_view configText, const std::vector<std::string>& panels,
                        bool hidable);

}  // namespace host::lxqt
