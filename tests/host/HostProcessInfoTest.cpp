#include <gtest/gtest.h>
#include <unistd.h>

#include "host/HostProcessInfo.h"
#include "support/Process.h"

namespace {

const char* infoPlist(const std::string& keys) {
    static std::string text;
    text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + keys +
           "</dict>\n</plist>\n";
    return text.c_str();
}

class BundleInfoTest : public testing::Test {
protected:
    std::string bundle() const { return home.path() + "/Fake.app"; }
    std::string executable() const { return bundle() + "/Contents/MacOS/fake"; }

    support::TemporaryDirectory home;
};

TEST_F(BundleInfoTest, ReadsInfoPlistOfTheBundleAroundTheExecutable) {
    support::writeFile(bundle() + "/Contents/Info.plist",
                       infoPlist("<key>CFBundleIdentifier</key><string>com.example.Fake</string>"
                                 "<key>CFBundleName</key><string>Fake</string>"
                                 "<key>CFBundleShortVersionString</key><string>2.5</string>"
                                 "<key>CFBundleVersion</key><string>42</string>"));
    EXPECT_EQ(
        host::bundleInfoForExecutable(executable()),
        (platform::BundleInfo{"com.example.Fake", "Fake", "2.5", "42", bundle(), executable()}));
}

TEST_F(BundleInfoTest, MissingKeysAndLooseExecutablesTakeTheBuiltInValues) {
    support::writeFile(bundle() + "/Contents/Info.plist",
                       infoPlist("<key>CFBundleVersion</key><string>42</string>"
                                 "<key>CFBundleName</key><integer>3</integer>"));
    auto partial = host::bundleInfoForExecutable(executable());
    EXPECT_EQ(partial.identifier, "app.tarnwick.Tarnwick");
    EXPECT_EQ(partial.name, "Tarnwick");
    EXPECT_EQ(partial.version, "42");
    EXPECT_EQ(partial.bundlePath, bundle());

    auto loose = host::bundleInfoForExecutable(home.path() + "/bin/fake");
    EXPECT_EQ(loose.identifier, "app.tarnwick.Tarnwick");
    EXPECT_EQ(loose.bundlePath, "");
    EXPECT_EQ(loose.executablePath, home.path() + "/bin/fake");
    // Not a bundle's layout: Contents/MacOS but no .app around it.
    support::writeFile(home.path() + "/Fake/Contents/Info.plist", infoPlist(""));
    EXPECT_EQ(host::bundleInfoForExecutable(home.path() + "/Fake/Contents/MacOS/fake").bundlePath,
              "");
}

TEST(HostProcessInfoTest, DescribesThisProcess) {
    host::HostProcessInfo info;
    EXPECT_EQ(info.processIdentifier(), getpid());
    setenv("TARNWICK_TEST_VARIABLE", "", 1);
    EXPECT_EQ(info.environment("TARNWICK_TEST_VARIABLE"), "");
    unsetenv("TARNWICK_TEST_VARIABLE");
    EXPECT_EQ(info.environment("TARNWICK_TEST_VARIABLE"), std::nullopt);
    // The test program does not run from a bundle.
    EXPECT_EQ(info.mainBundle().bundlePath, "");
    EXPECT_NE(info.mainBundle().executablePath, "");
    EXPECT_NE(info.operatingSystemVersionString().find("Linux "), std::string::npos);
}

TEST(HostProcessInfoTest, SuddenTerminationIsCountedAndStartsDisabled) {
    host::HostProcessInfo info;
    EXPECT_FALSE(info.suddenTerminationAllowed());
    info.enableSuddenTermination();
    EXPECT_TRUE(info.suddenTerminationAllowed());
    info.disableSuddenTermination();
    info.disableSuddenTermination();
    info.enableSuddenTermination();
    EXPECT_FALSE(info.suddenTerminationAllowed());
}

TEST(OperatingSystemVersionTest, CombinesPrettyNameAndKernelVersion) {
    EXPECT_EQ(host::operatingSystemVersionText(
                  "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
                  "6.1.0-18-amd64"),
              "Debian GNU/Linux 12 (bookworm), Linux 6.1.0");
    EXPECT_EQ(host::operatingSystemVersionText("PRETTY_NAME='A \\'B\\''", "6.8.0"),
              "A 'B', Linux 6.8.0");
    EXPECT_EQ(host::operatingSystemVersionText("PRETTY_NAME=Plain\n", "5.15"), "Plain, Linux 5.15");
    EXPECT_EQ(host::operatingSystemVersionText("", "6.1.0"), "Linux 6.1.0");
}

}  // namespace
