#include "Catalogues.h"

#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace pylox::test {

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

} // namespace

QByteArray CompileCatalogue(const Messages& messages, const CatalogueOptions& options) {
    std::string po = "msgid \"\"\nmsgstr \"MIME-Version: 1.0\\n\"\n";
    if (!options.contentType.empty())
        po += "\"Content-Type: " + options.contentType + "\\n\"\n";
    po += "\"Content-Transfer-Encoding: 8bit\\n\"\n";
    for (const auto& [msgid, msgstr] : messages)
        po += "\nmsgid " + Quoted(msgid) + "\nmsgstr " + Quoted(msgstr) + "\n";

    const TempDir dir;
    const std::string source = (dir.path() / "messages.po").string();
    const std::string target = (dir.path() / "messages.mo").string();
    QFile file(QString::fromStdString(source));
    if (!file.open(QIODevice::WriteOnly) || file.write(po.data(), qint64(po.size())) < 0)
        throw std::runtime_error("cannot write " + source);
    file.close();

    QProcess msgfmt;
    msgfmt.start(QStringLiteral(MSGFMT_EXECUTABLE),
                 {QString::fromStdString("--endianness=" + options.endianness),
                  QStringLiteral("--output-file=") + QString::fromStdString(target),
                  QString::fromStdString(source)});
    if (!msgfmt.waitForFinished(60000) || msgfmt.exitCode() != 0)
        throw std::runtime_error("msgfmt failed: " + msgfmt.readAllStandardError().toStdString());
    QFile mo(QString::fromStdString(target));
    if (!mo.open(QIODevice::ReadOnly))
        throw std::runtime_error("msgfmt wrote no " + target);
    return mo.readAll();
}

std::filesystem::path MakeCatalogue(const std::filesystem::path& folder, const std::string& code,
                                    const std::string& domain, const Messages& messages,
                                    const CatalogueOptions& options) {
    const std::filesystem::path dir = folder / code / "LC_MESSAGES";
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = dir / (domain + ".mo");
    const QByteArray bytes = CompileCatalogue(messages, options);
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.string());
    return path;
}

} // namespace pylox::test
