#include "settings/Opzioni.h"

#include "platform/Registry.h"

namespace {

const std::string kLanguageKey = "\\SOFTWARE\\Orvex\\Config\\Pylox V2";
const std::string kLanguageValue = "Language";

} // namespace

std::string ReadLanguage() {
    std::string code;
    TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(kLanguageKey, true)) {
        try {
            code = registry.ReadString(kLanguageValue);
        } catch (const ERegistryException&) {
            code.clear();
            WriteLanguage({});
        }
    }
    registry.CloseKey();
    return code;
}

void WriteLanguage(const std::string& code) {
    TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (registry.OpenKey(kLanguageKey, true))
            registry.WriteString(kLanguageValue, code);
    } catch (const ERegistryException&) {
        // The choice is not stored; the language in use does not change.
    }
    registry.CloseKey();
}
