#include "platform/VersionInfo.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <string_view>

namespace {

constexpr std::string_view kMagic = "PYLOXVER";
constexpr const char* kSectionName = ".pylox_version";
// Far more than any table needs; a larger section is not ours.
constexpr std::uint64_t kMaxSectionSize = 64 * 1024;

struct TVersionValue {
    std::string_view key;
    std::string_view value;
};

// Language 0x0410 (Italian), code page 0x04E4 (Windows-1252), as two
// little-endian words.
constexpr char kTranslation[] = {'\x10', '\x04', '\xE4', '\x04'};

constexpr TVersionValue kValues[] = {
    {"VarFileInfo\\Translation", {kTranslation, sizeof(kTranslation)}},
    {"StringFileInfo\\041004E4\\CompanyName", "Orvex"},
    {"StringFileInfo\\041004E4\\FileDescription", "Service tool for the Pylox board"},
    {"StringFileInfo\\041004E4\\FileVersion", PYLOX_VERSION},
    {"StringFileInfo\\041004E4\\InternalName", "pylox-service"},
    {"StringFileInfo\\041004E4\\LegalCopyright", "Copyright (C) 2024 Orvex"},
    {"StringFileInfo\\041004E4\\LegalTrademarks", ""},
    {"StringFileInfo\\041004E4\\ProductName", "PYLOX Service"},
    {"StringFileInfo\\041004E4\\ProductVersion", "1.0.0.0"},
    {"StringFileInfo\\041004E4\\Comments", ""},
};

constexpr std::size_t TableSize() {
    std::size_t size = kMagic.size();
    for (const TVersionValue& v : kValues)
        size += 2 + v.key.size() + 2 + v.value.size();
    return size;
}

constexpr std::array<char, TableSize()> BuildTable() {
    std::array<char, TableSize()> table{};
    std::size_t at = 0;
    const auto put = [&](std::string_view text) {
        table[at++] = static_cast<char>(text.size() & 0xFF);
        table[at++] = static_cast<char>(text.size() >> 8);
        for (char c : text)
            table[at++] = c;
    };
    for (char c : kMagic)
        table[at++] = c;
    for (const TVersionValue& v : kValues) {
        put(v.key);
        put(v.value);
    }
    return table;
}

// The program's table, kept in the executable whether or not anything refers to it.
[[gnu::used, gnu::section(".pylox_version")]] constexpr std::array<char, TableSize()>
    kVersionTable = BuildTable();

bool ReadAt(std::ifstream& file, std::uint64_t offset, void* out, std::size_t size) {
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
    return static_cast<bool>(file);
}

std::optional<std::string> ReadSection(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::nullopt;
    const auto fileSize = static_cast<std::uint64_t>(file.tellg());
    Elf64_Ehdr header;
    if (!ReadAt(file, 0, &header, sizeof(header)) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;
    const auto inFile = [fileSize](std::uint64_t offset, std::uint64_t size) {
        return offset <= fileSize && size <= fileSize - offset;
    };
    if (!inFile(header.e_shoff, std::uint64_t{header.e_shnum} * sizeof(Elf64_Shdr)))
        return std::nullopt;
    const auto sectionHeader = [&](unsigned index, Elf64_Shdr& out) {
        return ReadAt(file, header.e_shoff + std::uint64_t{index} * sizeof(Elf64_Shdr), &out,
                      sizeof(out));
    };
    Elf64_Shdr names;
    if (!sectionHeader(header.e_shstrndx, names) || !inFile(names.sh_offset, names.sh_size))
        return std::nullopt;
    const std::size_t nameLength = std::strlen(kSectionName) + 1;
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        if (!sectionHeader(i, section))
            return std::nullopt;
        if (section.sh_type == SHT_NOBITS || section.sh_name >= names.sh_size ||
            names.sh_size - section.sh_name < nameLength)
            continue;
        char name[32];
        if (!ReadAt(file, names.sh_offset + section.sh_name, name, nameLength) ||
            std::memcmp(name, kSectionName, nameLength) != 0)
            continue;
        if (section.sh_size > kMaxSectionSize || !inFile(section.sh_offset, section.sh_size))
            return std::nullopt;
        std::string bytes(section.sh_size, '\0');
        if (!ReadAt(file, section.sh_offset, bytes.data(), bytes.size()))
            return std::nullopt;
        return bytes;
    }
    return std::nullopt;
}

std::string WithoutLeadingBackslash(const std::string& key) {
    return !key.empty() && key.front() == '\\' ? key.substr(1) : key;
}

} // namespace

std::optional<TFileVersionInfo> TFileVersionInfo::Parse(const std::string& bytes) {
    if (bytes.compare(0, kMagic.size(), kMagic) != 0)
        return std::nullopt;
    TFileVersionInfo info;
    std::size_t at = kMagic.size();
    const auto take = [&](std::string& out) {
        if (bytes.size() - at < 2)
            return false;
        const std::size_t length =
            static_cast<unsigned char>(bytes[at]) |
            static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        at += 2;
        if (bytes.size() - at < length)
            return false;
        out = bytes.substr(at, length);
        at += length;
        return true;
    };
    // The section may be padded with zeros after the last value.
    while (at < bytes.size() && bytes.find_first_not_of('\0', at) != std::string::npos) {
        std::string key, value;
        if (!take(key) || !take(value))
            return std::nullopt;
        info.values_[key] = value;
    }
    return info;
}

std::optional<TFileVersionInfo> TFileVersionInfo::Read(const std::string& path) {
    const std::optional<std::string> bytes = ReadSection(path);
    return bytes ? Parse(*bytes) : std::nullopt;
}

std::optional<std::string> TFileVersionInfo::Query(const std::string& key) const {
    const auto found = values_.find(WithoutLeadingBackslash(key));
    if (found == values_.end())
        return std::nullopt;
    return found->second;
}
