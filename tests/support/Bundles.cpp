#include "support/Bundles.h"

#include <filesystem>

#include "support/Process.h"

namespace support {

namespace fs = std::filesystem;

std::string makeBundle(const std::string& folder, const std::string& name, const std::string& identifier,
                       const std::string& executable) {
    auto bundle = fs::path(folder) / (name + ".app");
    fs::create_directories(bundle / "Contents" / "MacOS");
    writeFile((bundle / "Contents" / "Info.plist").string(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleIdentifier</key><string>" +
                  identifier + "</string><key>CFBundleName</key><string>" + name + "</string></dict></plist>\n");
    auto program = bundle / "Contents" / "MacOS" / name;
    fs::copy_file(executable, program, fs::copy_options::overwrite_existing);
    return program.string();
}

}  // namespace support
