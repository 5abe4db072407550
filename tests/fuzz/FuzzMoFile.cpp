// A message catalogue of any content through the ".mo" reader, and look-ups in
// what it accepted.
#include "platform/MoFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<TMoFile> catalogue = TMoFile::Parse(bytes);
    if (!catalogue)
        return 0;
    if (catalogue->Count() < 0)
        std::abort();
    catalogue->Header();
    catalogue->IsUtf8();
    catalogue->Find("Connessione");
    // Every slice of the input is a possible message identifier.
    for (qsizetype at = 0; at < bytes.size(); at += 17)
        catalogue->Find(QByteArrayView(bytes).sliced(at, qMin<qsizetype>(16, bytes.size() - at)));
    return 0;
}
