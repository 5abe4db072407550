#include "settings/Pcconfig.h"

#include "passwords/Cript.h"
#include "platform/Ansi.h"
#include "platform/Gettext.h"
#include "platform/Registry.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

const std::string kKey = "\\SOFTWARE\\Orvex\\Config";
constexpr std::int32_t kBlobSize = 20;
constexpr std::size_t kMaxText = kBlobSize - 1;

// Opens the settings key, creating it on the first run.
bool OpenConfigKey(TRegistry& reg) {
    if (reg.OpenKey(kKey, false))
        return true;
    reg.CreateKey(kKey);
    return reg.OpenKey(kKey, false);
}

std::string ProgramPath() {
    const std::string path = std::filesystem::read_symlink("/proc/self/exe").native();
    return ToAnsi(QFile::decodeName(QByteArray::fromStdString(path)));
}

} // namespace

std::string ReadCredential(TRegistry& reg, const std::string& name,
                           const std::string& defaultText) {
    std::uint8_t blob[kBlobSize];
    try {
        if (reg.ReadBinaryData(name, blob, kBlobSize) != kBlobSize)
            return defaultText;
    } catch (const ERegistryException&) {
        return defaultText;
    }
    UnscrambleBuffer(blob, kBlobSize);
    // This store always writes a zero inside the blob; one without is not ours.
    const std::uint8_t* end = std::find(blob, blob + kBlobSize, 0);
    if (end == blob + kBlobSize)
        return defaultText;
    return std::string(reinterpret_cast<const char*>(blob), static_cast<std::size_t>(end - blob));
}

void WriteCredential(TRegistry& reg, const std::string& name, const std::string& text) {
    std::uint8_t blob[kBlobSize] = {};
    // The copy stops at a zero inside the text, as the reader would.
    const std::size_t length = std::min({text.size(), kMaxText, text.find('\0')});
    std::copy_n(text.begin(), length, blob);
    if (length < kMaxText)
        FillRandomBytes(blob + length + 1, static_cast<std::int32_t>(kMaxText - length));
    ScrambleBuffer(blob, kBlobSize);
    try {
        reg.WriteBinaryData(name, blob, kBlobSize);
    } catch (const ERegistryException&) {
        // The stored value stays as it was.
    }
}

void LoadPcConfig(TPcConfig& config) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    TRegistry reg(KEY_ALL_ACCESS);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!OpenConfigKey(reg))
        return;
    config.UserNames[0] = ReadCredential(reg, "Ut1", ToAnsi(_("installatore")));
    config.Passwords[0] = ReadCredential(reg, "Ps1", "qzv");
    config.UserNames[1] = ReadCredential(reg, "Ut2", ToAnsi(_("service")));
    config.Passwords[1] = ReadCredential(reg, "Ps2", "83tr05bn");
    config.UserNames[2] = ReadCredential(reg, "Ut3", "orvex");
    config.Passwords[2] = ReadCredential(reg, "Ps3", "fenla:47");
    try {
        config.CommPort = reg.ReadInteger("Comm Port");
    } catch (const ERegistryException&) {
        // The preset port stays.
    }
}

void SavePcConfig(const TPcConfig& config) {
    TRegistry reg(KEY_ALL_ACCESS);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!OpenConfigKey(reg))
        return;
    reg.WriteInteger("Comm Port", config.CommPort);
    reg.WriteString("PYLOX_Little-Service", ProgramPath());
    WriteCredential(reg, "Ut1", config.UserNames[0]);
    WriteCredential(reg, "Ps1", config.Passwords[0]);
    WriteCredential(reg, "Ut2", config.UserNames[1]);
    WriteCredential(reg, "Ps2", config.Passwords[1]);
    WriteCredential(reg, "Ut3", config.UserNames[2]);
    WriteCredential(reg, "Ps3", config.Passwords[2]);
}
