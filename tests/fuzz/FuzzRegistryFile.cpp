// A settings file of any content through the settings file parser. What it reads
// is written out again and read back: that text must parse without damage and
// give the same text once more, so no value is lost or altered by a rewrite.
#include "platform/Registry.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bool damaged = false;
    const TRegKey root = ParseRegistryFile(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &damaged);
    const QByteArray text = FormatRegistryFile(root);
    bool damagedAgain = false;
    const TRegKey again = ParseRegistryFile(text, &damagedAgain);
    if (damagedAgain || FormatRegistryFile(again) != text)
        std::abort();
    return 0;
}
