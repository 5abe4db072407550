// The version table of the program file: named values (company, product, file
// version...) in one string table per language and code page, and the translation
// table that lists those pairs. The program's own table is made when it is built,
// from the project version, and kept in the executable in an ELF section of its
// own, ".pylox_version", so that it can be read back from the file as any other
// program's would be.
//
// Keys are paths as the version resource spells them: "\VarFileInfo\Translation"
// (pairs of 16-bit little-endian words: language, code page) and
// "\StringFileInfo\041004E4\FileVersion" (a Windows-1252 text); the leading "\"
// may be left out.
#pragma once

#include <map>
#include <optional>
#include <string>

class TFileVersionInfo {
public:
    // The table of the program file at path; none when the file cannot be read, is
    // no 64-bit little-endian ELF file, carries no table or a damaged one.
    static std::optional<TFileVersionInfo> Read(const std::string& path);

    // The value at key, none when the table has no such value.
    std::optional<std::string> Query(const std::string& key) const;

    // The section's bytes as the build lays them out: "PYLOXVER", then for each
    // value a 16-bit little-endian key length, the key, a 16-bit little-endian
    // value length and the value.
    static std::optional<TFileVersionInfo> Parse(const std::string& bytes);

private:
    std::map<std::string, std::string> values_;
};
