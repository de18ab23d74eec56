#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "host/PlistPreferenceDomains.h"
#include "host/PropertyList.h"
#include "support/Process.h"

namespace {

using platform::Date;
using platform::PropertyArray;
using platform::PropertyDictionary;
using platform::PropertyValue;

constexpr const char* domain = "app.tarnwick.Test";

std::optional<PropertyValue> parse(const std::string& bytes) {
    return host::parsePropertyList(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::string xmlDocument(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>\n";
}

using Names = std::set<std::string>;

class PlistPreferenceDomainsTest : public testing::Test {
protected:
    std::string folder() const { return home_.path() + "/Preferences"; }
    std::string file() const { return folder() + "/" + domain + ".plist"; }
    Names files() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            names.insert(entry.path().filename());
        }
        return names;
    }
    // What another process would read: a fresh object with nothing pending.
    std::optional<PropertyValue> stored(const std::string& key) {
        return host::PlistPreferenceDomains(folder()).copyValue(domain, key);
    }
    std::optional<PropertyValue> contents() { return host::readPropertyListFile(file()); }
    void storeFrom(host::PlistPreferenceDomains& other, const std::string& key,
                   PropertyValue value) {
        other.setValue(domain, key, std::move(value));
        ASSERT_TRUE(other.synchronize(domain));
    }

    support::TemporaryDirectory home_;
    host::PlistPreferenceDomains preferences_{folder()};
};

TEST_F(PlistPreferenceDomainsTest, EveryValueTypeSurvivesTheXmlFile) {
    using Limits = std::numeric_limits<std::int64_t>;
    PropertyDictionary values{
        {"texts", PropertyArray{"Grüße <&> \"quoted\"", ""}},
        {"integers", PropertyArray{std::int64_t{-42}, 0, Limits::min(), Limits::max()}},
        {"reals and booleans", PropertyArray{0.1, -4.9e-324, true, false}},
        {"dates", PropertyArray{Date{-978307200}, Date{63113904000}}},
        {"data", PropertyArray{platform::Data{0, 1, 0xFF, 0}, platform::Data{}}},
        {"nested", PropertyArray{1, "two", PropertyDictionary{{"three", 3.5}}, PropertyArray{}}},
        {"no keys", PropertyDictionary{}},
        {"true", true},
    };
    for (const auto& [key, value] : values) preferences_.setValue(domain, key, value);
    ASSERT_TRUE(preferences_.synchronize(domain));
    // The global domain's file name is checked by the toggle in ProgramOnHostTest.
    EXPECT_EQ(support::readFile(file()).rfind("<?xml", 0), 0u);
    EXPECT_EQ(contents(), PropertyValue(values));
}

TEST_F(PlistPreferenceDomainsTest, BinaryFilesAreReadAndRewrittenAsXmlWithTheirKeys) {
    std::unique_ptr<void, decltype(&plist_free)> root(plist_new_dict(), &plist_free);
    plist_dict_set_item(root.get(), "name", plist_new_string("binary"));
    plist_dict_set_item(root.get(), "count", plist_new_uint(std::uint64_t(-3)));
    plist_dict_set_item(root.get(), "when", plist_new_date(-1, -500000));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    support::writeFile(file(), std::string(bytes, length));
    plist_to_bin_free(bytes);

    EXPECT_EQ(preferences_.copyValue(domain, "name"), PropertyValue("binary"));
    EXPECT_EQ(preferences_.copyValue(domain, "when"), PropertyValue(Date{-1.5}));
    storeFrom(preferences_, "added", true);
    EXPECT_EQ(support::readFile(file()).rfind("<?xml", 0), 0u);
    for (const auto& [key, value] :
         PropertyDictionary{{"name", "binary"}, {"count", -3}, {"added", true}}) {
        EXPECT_EQ(stored(key), value) << key;
    }
}

// A file that stays unparsable is kept aside by the next write, which says
// so; one that changed a moment ago may be another program's write in
// progress and is left alone.
TEST_F(PlistPreferenceDomainsTest, AFileThatDoesNotParseReadsAsEmptyAndIsKeptAsideByAWrite) {
    std::vector<std::string> errors;
    host::PlistPreferenceDomains preferences(
        folder(), [&](const std::string& line) { errors.push_back(line); });
    auto age = [&] {
        std::filesystem::last_write_time(
            file(), std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1));
    };
    const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>half";
    support::writeFile(file(), garbage);
    EXPECT_EQ(preferences.copyValue(domain, "half"), std::nullopt);
    preferences.setValue(domain, "fresh", 1);
    EXPECT_FALSE(preferences.synchronize(domain));
    EXPECT_EQ(support::readFile(file()), garbage);
    EXPECT_EQ(errors, std::vector<std::string>{"Couldn't write " + file() + ": another program is writing it"});

    age();
    preferences.setValue(domain, "fresh", 1);
    EXPECT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(support::readFile(file() + ".unreadable"), garbage);
    EXPECT_EQ(stored("fresh"), PropertyValue(1));
    EXPECT_EQ(errors.back(), "Preference file " + file() + " could not be read; kept it as " +
                                 file() + ".unreadable");

    // A second bad file does not replace the first one kept aside.
    const std::string array = xmlDocument("<array><string>not a dictionary</string></array>");
    support::writeFile(file(), array);
    age();
    EXPECT_EQ(preferences.copyValue(domain, "fresh"), std::nullopt);
    preferences.setValue(domain, "fresh", 2);
    EXPECT_TRUE(preferences.synchronize(domain));
    EXPECT_EQ(support::readFile(file() + ".unreadable"), garbage);
    EXPECT_EQ(support::readFile(file() + ".unreadable-2"), array);
    EXPECT_EQ(stored("fresh"), PropertyValue(2));
}

// What a rewrite keeps: the keys of files other programs wrote with a
// byte-order mark or in UTF-16, a symbolic link and the file's mode; and
// what it clears: our copies left by writes that were killed, never
// another program's.
TEST_F(PlistPreferenceDomainsTest, RewritesKeepLinksModesAndOtherEncodingsAndClearOldCopies) {
    const std::string body = "<dict><key>theirs</key><string>é</string></dict>";
    auto utf16 = [&](bool bigEndian) {
        std::string text = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : "<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist version=\"1.0\">"
                      "<dict><key>theirs</key><string>\xC3\xA9</string></dict></plist>") {
            if (!c) break;
            // Every character here but é is ASCII; é is U+00E9.
            if (c == '\xC3') continue;
            char low = c == '\xA9' ? '\xE9' : c;
            text += bigEndian ? std::string{'\0', low} : std::string{low, '\0'};
        }
        return text;
    };
    std::filesystem::create_directories(folder());
    const std::string ours = file() + ".tarnwick-a1B2c3", theirs = file() + ".d4E5f6";
    for (const auto& copy : {ours, theirs}) support::writeFile(copy, "cut short");
    for (const std::string& bytes : {"\xEF\xBB\xBF" + xmlDocument(body), utf16(false), utf16(true)}) {
        support::writeFile(file(), bytes);
        EXPECT_EQ(stored("theirs"), PropertyValue("é"));
        storeFrom(preferences_, "ours", true);
        EXPECT_EQ(stored("theirs"), PropertyValue("é"));
    }
    EXPECT_FALSE(std::filesystem::exists(ours));
    EXPECT_TRUE(std::filesystem::exists(theirs));

    // A link to a read-only file elsewhere.
    std::filesystem::remove(file());
    const std::string elsewhere = home_.path() + "/dotfiles.plist";
    support::writeFile(elsewhere, xmlDocument(body));
    chmod(elsewhere.c_str(), 0444);
    std::filesystem::create_symlink(elsewhere, file());
    storeFrom(preferences_, "ours", false);
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(stored("theirs"), PropertyValue("é"));
    EXPECT_EQ(stored("ours"), PropertyValue(false));
    EXPECT_EQ(std::filesystem::status(elsewhere).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                  std::filesystem::perms::others_read);
}

// Keys and texts an XML property list cannot hold as they are make the
// write fail, with a line that says which; nothing is renamed or mangled.
TEST_F(PlistPreferenceDomainsTest, WhatAPropertyListCannotHoldFailsTheWrite) {
    std::vector<std::string> errors;
    host::PlistPreferenceDomains preferences(
        folder(), [&](const std::string& line) { errors.push_back(line); });
    storeFrom(preferences, "kept", 1);
    for (const std::string& bad : {std::string("nul\0inside", 10), std::string("bell\x07"),
                                   std::string("ill\xC3" "formed")}) {
        host::PlistPreferenceDomains writer(
            folder(), [&](const std::string& line) { errors.push_back(line); });
        writer.setValue(domain, bad, 1);
        EXPECT_FALSE(writer.synchronize(domain));
        host::PlistPreferenceDomains valueWriter(
            folder(), [&](const std::string& line) { errors.push_back(line); });
        valueWriter.setValue(domain, "text", PropertyValue(bad));
        EXPECT_FALSE(valueWriter.synchronize(domain));
    }
    ASSERT_EQ(errors.size(), 6u);
    EXPECT_EQ(errors[0], "Couldn't write " + file() +
                             ": \"nul (and more after a NUL)\" cannot be stored in a property list");
    EXPECT_EQ(errors[2], "Couldn't write " + file() + ": \"bell\\007\" cannot be stored in a property list");
    auto values = contents();
    ASSERT_TRUE(values && values->dictionary());
    EXPECT_EQ(values->dictionary()->size(), 1u);
}

// A process that keeps the lock does not hold the writer up for long: the
// write fails, says who holds it, and the change is dropped; once the lock
// is free a write goes through.
TEST_F(PlistPreferenceDomainsTest, ALockHeldElsewhereFailsTheWriteSoonAndNamesItsHolder) {
    std::filesystem::create_directories(folder());
    support::ChildProcess holder({HOST_TEST_HELPER, "hold-lock", file()});
    ASSERT_TRUE(holder.waitForStdout("ready"));
    std::vector<std::string> errors;
    host::PlistPreferenceDomains preferences(
        folder(), [&](const std::string& line) { errors.push_back(line); });
    preferences.setValue(domain, "waiting", true);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(preferences.synchronize(domain));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(errors, std::vector<std::string>{"Couldn't write " + file() + ": host_test_helpe (pid " +
                                               std::to_string(holder.pid()) +
                                               ") has held its lock for over 50 ms"});
    EXPECT_EQ(preferences.copyValue(domain, "waiting"), std::nullopt);
    holder.signal(SIGTERM);
    holder.wait();
    storeFrom(preferences, "waiting", true);
    EXPECT_EQ(stored("waiting"), PropertyValue(true));
}

// A file beyond what preferences sensibly hold reads as empty, is said once,
// and is never rewritten.
TEST_F(PlistPreferenceDomainsTest, AFileOverTheSizeLimitIsIgnoredAndLeftAlone) {
    std::vector<std::string> errors;
    host::PlistPreferenceDomains preferences(
        folder(), [&](const std::string& line) { errors.push_back(line); });
    const std::string huge = xmlDocument("<dict><key>big</key><string>" +
                                         std::string(17 * 1024 * 1024, 'x') + "</string></dict>");
    support::writeFile(file(), huge);
    EXPECT_EQ(preferences.copyValue(domain, "big"), std::nullopt);
    EXPECT_EQ(preferences.copyValue(domain, "other"), std::nullopt);
    preferences.setValue(domain, "ours", 1);
    EXPECT_FALSE(preferences.synchronize(domain));
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "Preference file " + file() +
                              " is 18 MB, over the 16 MB we read; its values are ignored and it "
                              "is left as it is",
                          "Couldn't write " + file() + ": it is 18 MB, over the 16 MB we read"}));
    EXPECT_EQ(std::filesystem::file_size(file()), huge.size());
}

TEST_F(PlistPreferenceDomainsTest, PendingChangesAnswerReadsAndOnlyThoseAreWritten) {
    host::PlistPreferenceDomains other(folder());
    storeFrom(other, "kept", "theirs");
    storeFrom(other, "removed", "theirs");

    preferences_.setValue(domain, "removed", std::nullopt);
    preferences_.setValue(domain, "mine", 7);
    EXPECT_EQ(preferences_.copyValue(domain, "removed"), std::nullopt);
    EXPECT_EQ(preferences_.copyValue(domain, "mine"), PropertyValue(7));
    EXPECT_EQ(stored("removed"), PropertyValue("theirs"));
    EXPECT_EQ(stored("mine"), std::nullopt);

    // Written by another writer after our changes were made, and not ours to touch.
    storeFrom(other, "late", "theirs");
    ASSERT_TRUE(preferences_.synchronize(domain));
    EXPECT_EQ(contents(), PropertyValue(PropertyDictionary{
                              {"kept", "theirs"}, {"late", "theirs"}, {"mine", 7}}));
    EXPECT_TRUE(preferences_.synchronize(domain));
}

TEST_F(PlistPreferenceDomainsTest, AFailedWriteDropsTheChangeAndLeavesTheFileAsItWas) {
    // Root ignores permission bits, so these failures come from the shape of
    // the folder and from a file size limit; a file where the folder belongs
    // fails the toggle in ProgramOnHostTest. A folder where the file belongs
    // is neither written over nor set aside.
    std::filesystem::create_directories(file());
    preferences_.setValue(domain, "key", "value");
    EXPECT_FALSE(preferences_.synchronize(domain));
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    std::filesystem::remove(file());

    storeFrom(preferences_, "key", "old");
    const std::string before = support::readFile(file());
    std::filesystem::remove(file() + ".lock");
    std::filesystem::create_directory(file() + ".lock");
    preferences_.setValue(domain, "key", "new");
    EXPECT_FALSE(preferences_.synchronize(domain));
    EXPECT_EQ(preferences_.copyValue(domain, "key"), PropertyValue("old"));
    std::filesystem::remove(file() + ".lock");

    support::ChildProcess limited(
        {HOST_TEST_HELPER, "write-beyond-size-limit", folder(), domain, "key"});
    EXPECT_EQ(limited.wait(), 0) << limited.stderrText();
    EXPECT_EQ(support::readFile(file()), before);

    storeFrom(preferences_, "key", "new");
    EXPECT_EQ(stored("key"), PropertyValue("new"));
    EXPECT_EQ(files(), (Names{"app.tarnwick.Test.plist", "app.tarnwick.Test.plist.lock"}));
}

TEST_F(PlistPreferenceDomainsTest, NamesThatAreNotFileNamesHoldNothing) {
    for (const auto& name :
         std::vector<std::string>{"", ".", "..", "../escape", "a/b", std::string("nul\0x", 5)}) {
        preferences_.setValue(name, "key", "value");
        EXPECT_EQ(preferences_.copyValue(name, "key"), std::nullopt) << name;
        EXPECT_FALSE(preferences_.synchronize(name)) << name;
    }
    EXPECT_FALSE(support::fileExists(folder()));
    EXPECT_FALSE(support::fileExists(home_.path() + "/escape.plist"));
}

TEST_F(PlistPreferenceDomainsTest, ConcurrentWritersLoseNoKeysAndTheNextReadSeesThem) {
    constexpr int writers = 8, keysEach = 25;
    storeFrom(preferences_, "w0-0", 42);
    EXPECT_EQ(preferences_.copyValue(domain, "w0-0"), PropertyValue(42));
    std::vector<std::unique_ptr<support::ChildProcess>> children;
    for (int writer = 0; writer < writers; ++writer) {
        children.push_back(std::make_unique<support::ChildProcess>(std::vector<std::string>{
            HOST_TEST_HELPER, "write-keys", folder(), domain, "w" + std::to_string(writer) + "-",
            std::to_string(keysEach)}));
    }
    for (auto& child : children) {
        EXPECT_EQ(child->wait(std::chrono::seconds(60)), 0) << child->stderrText();
    }
    // Read by the object that read before: nothing was kept from then.
    for (int index = 0; index < writers * keysEach; ++index) {
        auto key = "w" + std::to_string(index / keysEach) + "-" + std::to_string(index % keysEach);
        EXPECT_EQ(preferences_.copyValue(domain, key), PropertyValue(index % keysEach)) << key;
    }
    EXPECT_EQ(files(), (Names{"app.tarnwick.Test.plist", "app.tarnwick.Test.plist.lock"}));
}

// Another program rewrites the file in place, without the lock, keeping
// what it read, 50 times a second: a write of ours that took its file for
// empty in the moment it was cut short would lose all its keys for good.
TEST_F(PlistPreferenceDomainsTest, AProgramRewritingTheFileInPlaceLosesNoKeys) {
    constexpr int theirs = 50;
    for (int key = 0; key < theirs; ++key) storeFrom(preferences_, "theirs" + std::to_string(key), key);
    support::ChildProcess rewriter({HOST_TEST_HELPER, "rewrite-in-place", file()});
    ASSERT_TRUE(rewriter.waitForStdout("ready"));
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (bool on = true; std::chrono::steady_clock::now() < end; on = !on) {
        preferences_.setValue(domain, "ours", on);
        preferences_.synchronize(domain);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    rewriter.signal(SIGTERM);
    rewriter.wait();
    auto values = contents();
    ASSERT_TRUE(values && values->dictionary());
    for (int key = 0; key < theirs; ++key) {
        EXPECT_TRUE(platform::find(*values->dictionary(), "theirs" + std::to_string(key))) << key;
    }
}

// Writers killed at any moment of a write: the file stays whole and the
// first write of the next program to start leaves none of their copies.
TEST_F(PlistPreferenceDomainsTest, CopiesOfKilledWritesGoWithTheNextWrite) {
    storeFrom(preferences_, "kept", 1);
    std::mt19937 random(7);
    int copiesSeen = 0;
    for (int kill = 0; kill < 150; ++kill) {
        support::ChildProcess writer({HOST_TEST_HELPER, "toggle-forever", folder(), domain});
        ASSERT_TRUE(writer.waitForStdout("ready")) << writer.stderrText();
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        writer.signal(SIGKILL);
        writer.wait();
        copiesSeen += static_cast<int>(files().size()) - 2;
    }
    host::PlistPreferenceDomains next(folder());
    storeFrom(next, "last", true);
    EXPECT_GT(copiesSeen, 0) << "no write was cut short; the test proves nothing";
    EXPECT_EQ(files(), (Names{"app.tarnwick.Test.plist", "app.tarnwick.Test.plist.lock"}));
    EXPECT_EQ(stored("kept"), PropertyValue(1));
}

TEST(PlistPreferenceDomainsFolder, FollowsTheXdgConfigHome) {
    std::optional<std::string> previous;
    if (const char* saved = std::getenv("XDG_CONFIG_HOME")) previous = saved;
    if (!std::getenv("HOME")) setenv("HOME", "/home/someone", 1);
    const std::string home = std::getenv("HOME");

    // An absolute one is used by the tests on the host and end to end.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(host::PlistPreferenceDomains::defaultFolder(), home + "/.config/Preferences");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(host::PlistPreferenceDomains::defaultFolder(), home + "/.config/Preferences");
    if (previous) setenv("XDG_CONFIG_HOME", previous->c_str(), 1);
}

// --- The property-list reader on its own ---

std::string bigEndian(std::uint64_t value, int width) {
    std::string bytes;
    for (int i = width - 1; i >= 0; --i) bytes += char(value >> (8 * i));
    return bytes;
}

// A binary list of the given objects, with 4-byte offsets and references;
// the first object is the top one.
std::string binaryList(const std::vector<std::string>& objects) {
    std::string bytes = "bplist00", offsets;
    for (const auto& object : objects) {
        offsets += bigEndian(bytes.size(), 4);
        bytes += object;
    }
    return bytes + offsets + std::string(6, '\0') + "\4\4" + bigEndian(objects.size(), 8) +
           bigEndian(0, 8) + bigEndian(bytes.size(), 8);
}

std::string dateObject(double seconds) {
    return "\x33" + bigEndian(std::bit_cast<std::uint64_t>(seconds), 8);
}

// An array object (at most 14 entries) referring to the given objects.
std::string arrayObject(const std::vector<std::uint32_t>& references) {
    std::string object(1, char(0xA0 | references.size()));
    for (auto reference : references) object += bigEndian(reference, 4);
    return object;
}

TEST(PropertyList, IntegersKeepTheirSignAndHugeUnsignedOnesBecomeReals) {
    auto value =
        parse(xmlDocument("<array><integer>-5</integer><integer>-9223372036854775808</integer>"
                          "<integer>18446744073709551615</integer><true/><real>2</real></array>"));
    EXPECT_EQ(value, PropertyValue(PropertyArray{-5, std::numeric_limits<std::int64_t>::min(),
                                                 18446744073709551615.0, true, 2.0}));
}

TEST(PropertyList, DatesKeepTheirFullRange) {
    // Half a second before the reference date, and far beyond 32-bit seconds.
    auto value = parse(binaryList(
        {arrayObject({1, 2, 3}), dateObject(-0.5), dateObject(1e15), dateObject(-1e15)}));
    ASSERT_TRUE(value);
    EXPECT_EQ(value, PropertyValue(PropertyArray{Date{-0.5}, Date{1e15}, Date{-1e15}}));

    // XML holds whole seconds of the years 1 to 9999.
    EXPECT_EQ(parse(host::xmlPropertyList(*value)),
              PropertyValue(PropertyArray{Date{0}, Date{252423993599}, Date{-63113904000}}));
    EXPECT_EQ(parse(host::xmlPropertyList(Date{std::nan("")})), PropertyValue(Date{0}));
}

// `depth` arrays, each referring `width` times to the next, above a true.
std::string levels(std::uint32_t depth, std::uint32_t width) {
    std::vector<std::string> objects;
    for (std::uint32_t i = 1; i <= depth; ++i) {
        objects.push_back(arrayObject(std::vector<std::uint32_t>(width, i)));
    }
    objects.push_back("\x09");
    return binaryList(objects);
}

TEST(PropertyList, HostileInputIsRefusedQuickly) {
    std::string deepXml;
    for (int i = 0; i < 1'000'000; ++i) deepXml += "<array>";
    // A long chain, and 2^60 nodes once the shared levels are expanded.
    for (const auto& hostile : {xmlDocument(deepXml), levels(200'000, 1), levels(59, 2),
                                binaryList({arrayObject({0})}), binaryList({arrayObject({7})}),
                                binaryList({"\xAF\x10"}), std::string("bplist00"), std::string()}) {
        EXPECT_EQ(parse(hostile), std::nullopt) << hostile.substr(0, 40);
    }

    // Sharing and nesting within reason are fine.
    EXPECT_TRUE(parse(levels(11, 2)));
    std::string nested;
    for (int i = 0; i < 100; ++i) nested = "<array>" + nested + "</array>";
    EXPECT_TRUE(parse(xmlDocument(nested)));
}

}  // namespace
