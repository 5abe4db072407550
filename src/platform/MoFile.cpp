#include "platform/MoFile.h"

#include <QFile>
#include <QList>

#include <cstdint>

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;
constexpr qsizetype kHeaderSize = 28;

class Reader {
public:
    Reader(const QByteArray& data, bool bigEndian) : data_(data), bigEndian_(bigEndian) {}

    // The 32-bit word at offset; the caller has checked that it lies inside the data.
    std::uint32_t Word(std::uint64_t offset) const {
        const auto* p = reinterpret_cast<const unsigned char*>(data_.constData()) + offset;
        if (bigEndian_)
            return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                   std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
        return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 |
               std::uint32_t(p[0]);
    }

    // The string described by the (length, offset) descriptor at descriptor, up to
    // its first NUL; nothing when the descriptor or the string lies outside the data.
    std::optional<QByteArray> String(std::uint64_t descriptor) const {
        const auto size = std::uint64_t(data_.size());
        if (descriptor + 8 > size)
            return std::nullopt;
        const std::uint64_t length = Word(descriptor);
        const std::uint64_t offset = Word(descriptor + 4);
        if (offset > size || length > size - offset)
            return std::nullopt;
        QByteArray text = data_.mid(qsizetype(offset), qsizetype(length));
        if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
            text.truncate(nul);
        return text;
    }

private:
    const QByteArray& data_;
    bool bigEndian_;
};

} // namespace

std::optional<TMoFile> TMoFile::Parse(const QByteArray& data) {
    if (data.size() < kHeaderSize)
        return std::nullopt;
    const Reader little(data, false);
    bool bigEndian = false;
    if (little.Word(0) == kMagicSwapped)
        bigEndian = true;
    else if (little.Word(0) != kMagic)
        return std::nullopt;
    const Reader reader(data, bigEndian);
    // Major revisions 0 and 1 share the layout read here; later ones may not.
    if ((reader.Word(4) >> 16) > 1)
        return std::nullopt;
    const std::uint64_t count = reader.Word(8);
    const std::uint64_t originals = reader.Word(12);
    const std::uint64_t translations = reader.Word(16);
    const auto size = std::uint64_t(data.size());
    if (originals > size || translations > size || count > (size - originals) / 8 ||
        count > (size - translations) / 8)
        return std::nullopt;

    TMoFile file;
    file.messages_.reserve(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::optional<QByteArray> original = reader.String(originals + 8 * i);
        const std::optional<QByteArray> translation = reader.String(translations + 8 * i);
        if (!original || !translation)
            return std::nullopt;
        file.messages_.insert(*original, *translation);
    }
    return file;
}

std::optional<TMoFile> TMoFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return Parse(file.readAll());
}

std::optional<QByteArray> TMoFile::Find(QByteArrayView msgid) const {
    const auto found = messages_.constFind(msgid.toByteArray());
    if (found == messages_.constEnd() || found->isEmpty())
        return std::nullopt;
    return *found;
}

QByteArray TMoFile::Header() const {
    return messages_.value(QByteArray());
}

bool TMoFile::IsUtf8() const {
    for (const QByteArray& line : Header().split('\n')) {
        const QByteArray lower = line.trimmed().toLower();
        if (lower.startsWith("content-type:"))
            return lower.contains("charset=utf-8");
    }
    return false;
}
