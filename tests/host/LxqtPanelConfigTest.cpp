#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/panels/LxqtPanelConfig.h"

namespace {

using host::lxqt::isHidable;
using host::lxqt::panelNames;
using host::lxqt::topPanels;
using host::lxqt::withHidable;
using Names = std::vector<std::string>;

// As lxqt-panel 1.2 leaves it once a second panel is added from its menu.
const std::string written =
    "[General]\n__userfile__=true\npanels=panel1, panel_{5d2c}\n\n"
    "[panel1]\nalignment=-1\ndesktop=0\nhidable=false\nplugins=clock\nposition=Top\n\n"
    "[panel_%7B5d2c%7D]\nalignment=0\nposition=Bottom\n";

TEST(LxqtPanelConfig, FindsTheListedPanelsAndThoseAlongTheTop) {
    EXPECT_EQ(panelNames(written), (Names{"panel1", "panel_{5d2c}"}));
    EXPECT_EQ(topPanels(written), Names{"panel1"});
    // Quotes keep commas and spaces; repeats and empty names start nothing.
    EXPECT_EQ(panelNames("[General]\npanels=\" a,b \", c ,, c, @@d\n"),
              (Names{" a,b ", "c", "@d"}));
    // Without a list lxqt-panel starts panel1; keys before any section are
    // [General]'s, and the last one read counts.
    EXPECT_EQ(panelNames(""), Names{"panel1"});
    EXPECT_EQ(panelNames("panels=@Invalid()\n"), Names{"panel1"});
    EXPECT_EQ(panelNames("\xEF\xBB\xBFpanels=x\r\n[general]\r\npanels=y ; z\r\n"), Names{"y"});

    // Top in any case counts; a missing position is Bottom, and so is a list.
    // Keys are case-sensitive, and of repeated sections the last key counts.
    EXPECT_EQ(
        topPanels(
            "[General]\r\npanels=a, b, c, d, e, f, my panel\r\n"
            "[a]\r\nposition=Left\r\n  position = tOP \r\n[b]\r\n[c]\r\nposition=Top, Left\r\n"
            "[d]\r\nposition=Top\r\n[x]\r\n[d]\r\nposition=Left\r\n"
            "[e]\r\nPosition=Top\r\n[f]\r\nposition=\"Top\" ; quoted\r\n"
            "[ my%20panel ]\r\nposition=top\r\n"),
        (Names{"a", "f", "my panel"}));
}

TEST(LxqtPanelConfig, ReadsHidableAsAQVariantBool) {
    auto hidableWith = [](const std::string& line) {
        return isHidable("[General]\npanels=p\n\n[p]\n" + line + "\n[q]\nhidable=true\n", "p");
    };
    for (auto line : {"hidable=true", "hidable = 1", "hidable=yes", "hidable=\"false \"",
                      "hidable=@@false", "hidable=x\\\n"}) {
        EXPECT_TRUE(hidableWith(line)) << line;
    }
    for (auto line :
         {"hidable=", "hidable=0", "hidable=FALSE", "hidable=  false  ; why", "hidable=\"false\"",
          "hidable=\\146alse", "hidable=true, true", "hidable=@Invalid()", "Hidable=true",
          "hidable\\x=true", "#hidable=true", "; hidable=true", "x=\"\nhidable=true\""}) {
        EXPECT_FALSE(hidableWith(line)) << line;
    }
    EXPECT_FALSE(isHidable(written, "absent"));
    EXPECT_FALSE(isHidable("hidable=true\n", ""));
}

TEST(LxqtPanelConfig, SetsHidableInPlaceOrWhereQSettingsWouldAndKeepsTheRest) {
    auto swapped = written;
    swapped.replace(swapped.find("hidable=false"), 13, "hidable=true");
    EXPECT_EQ(withHidable(written, {"panel1"}, true), swapped);
    EXPECT_EQ(withHidable(written, {"panel1", "panel1"}, false), written);
    // Every occurrence that reads otherwise, repeated sections too; only the value changes.
    EXPECT_EQ(withHidable("[p]\r\nhidable = no ; why\r\n[q]\r\n[p]\r\nhidable=0\r\nhidable=1",
                          {"p"}, false),
              "[p]\r\nhidable = false ; why\r\n[q]\r\n[p]\r\nhidable=0\r\nhidable=false");

    // A missing key goes in among sorted keys (by byte, as QSettings sorts),
    // else after the last key.
    auto added = withHidable(written, {"panel_{5d2c}"}, true);
    EXPECT_EQ(added.substr(added.find("[panel_")),
              "[panel_%7B5d2c%7D]\nalignment=0\nhidable=true\nposition=Bottom\n");
    EXPECT_EQ(withHidable("[p]\nZoom=1\nicon=2\n", {"p"}, true),
              "[p]\nZoom=1\nhidable=true\nicon=2\n");
    EXPECT_EQ(withHidable("[p] ; mine\r\nlockPanel=1\r\n", {"p"}, true),
              "[p] ; mine\r\nhidable=true\r\nlockPanel=1\r\n");
    EXPECT_EQ(withHidable("[p]\nz=1\na=2\ny=3 ; y\n\n[q]\n", {"p"}, false),
              "[p]\nz=1\na=2\ny=3 ; y\nhidable=false\n\n[q]\n");
    EXPECT_EQ(withHidable("[p]", {"p"}, true), "[p]\nhidable=true\n");

    // A missing section is added at the end after a blank line, named as QSettings writes it.
    EXPECT_EQ(withHidable("panels=a b, general", {"a b", "general"}, true),
              "panels=a b, general\n\n[a%20b]\nhidable=true\n\n[%general]\nhidable=true\n");
    EXPECT_EQ(withHidable("x=1\n\n", {"p"}, false), "x=1\n\n[p]\nhidable=false\n");
    EXPECT_EQ(withHidable("", {"p", ""}, false), "[p]\nhidable=false\n");
    // An open quote or a backslash at the end would swallow what follows.
    EXPECT_EQ(withHidable("[p]\nplugins=\"a", {"q"}, true),
              "[p]\nplugins=\"a\"\n\n[q]\nhidable=true\n");
    for (auto end : {"\\", "\\\r", "\\\r\n", "\"x\\\r", "\"x\\"}) {
        auto text = std::string("[p]\na=") + end;
        EXPECT_TRUE(isHidable(withHidable(text, {"p"}, true), "p")) << text;
        EXPECT_TRUE(isHidable(withHidable(text, {"q"}, true), "q")) << text;
    }
}

}  // namespace
