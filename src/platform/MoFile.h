// Reader of GNU gettext binary catalogues (.mo files), in either byte order.
// Every offset and length is checked against the size of the data, so a damaged
// or truncated file is rejected as a whole and never read beyond its end.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

class TMoFile {
public:
    // The catalogue held in data, or nothing when data is not a .mo catalogue.
    static std::optional<TMoFile> Parse(const QByteArray& data);
    // The catalogue in the file at path, or nothing when it cannot be read or parsed.
    static std::optional<TMoFile> Load(const QString& path);

    // The translation of msgid as stored (the first form of a plural entry), or
    // nothing when the catalogue has none. The empty msgid is the header.
    std::optional<QByteArray> Find(QByteArrayView msgid) const;

    // The catalogue header: the translation of the empty message identifier.
    QByteArray Header() const;
    // Whether the header's Content-Type declares charset=UTF-8 (any letter case).
    bool IsUtf8() const;

    qsizetype Count() const { return messages_.size(); }

private:
    QHash<QByteArray, QByteArray> messages_;
};
