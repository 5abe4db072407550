// Catalogues for the tests, compiled by GNU msgfmt from messages given in the test.
#pragma once

#include <QByteArray>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace pylox::test {

using Messages = std::vector<std::pair<std::string, std::string>>; // msgid, msgstr

struct CatalogueOptions {
    std::string contentType = "text/plain; charset=UTF-8";
    std::string endianness = "little"; // or "big"
};

// The bytes of the .mo file msgfmt makes of the messages.
QByteArray CompileCatalogue(const Messages& messages, const CatalogueOptions& options = {});

// Writes the compiled messages to folder/<code>/LC_MESSAGES/<domain>.mo and returns
// that path.
std::filesystem::path MakeCatalogue(const std::filesystem::path& folder, const std::string& code,
                                    const std::string& domain, const Messages& messages,
                                    const CatalogueOptions& options = {});

} // namespace pylox::test
