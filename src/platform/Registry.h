// The registry the program keeps its settings in, with the accessor class the
// settings code is written against.
//
// HKEY_CURRENT_USER lives in one text file in the regedit export format,
// $XDG_CONFIG_HOME/Orvex/registry.reg (default ~/.config/Orvex/registry.reg):
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CURRENT_USER\SOFTWARE\Orvex\Config]
//     "Comm Port"=dword:00000003
//     "PYLOX_Little-Service"="/usr/bin/pylox-service"
//     "Ut1"=hex:1a,01,...
//
// The file is UTF-8 (a byte order mark is accepted on reading) with LF line ends
// (CRLF is accepted). Texts keep every Windows-1252 byte: each byte is written as
// its Unicode character. A text holding a line break or a zero is written as
// hex(1): (UTF-16LE with its terminator), a REG_EXPAND_SZ as hex(2):, other types
// as hex(N):, so that every value survives a rewrite unchanged.
//
// Every change locks registry.reg.lock (flock), re-reads the file, applies just
// that change and replaces the file atomically (temporary file, fsync, rename), so
// running instances never lose each other's values. The files are private to the
// user (0600, folder 0700). Lines that cannot be read are skipped, so a damaged
// file reads as if the affected values were missing; before the first change
// rewrites such a file, its bytes are kept aside as registry.reg.damaged-<time>.
//
// HKEY_LOCAL_MACHINE is a read-only tree handed over by a provider (the machine's
// serial ports); without one it is empty.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

enum TRegRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

// Access rights, with the values and meaning of the Windows ones.
constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_WRITE = 0x20006;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Value types, numbered as in the Windows registry.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One value as the Windows registry holds it: texts are UTF-16LE with their
// terminating zero, a REG_DWORD is 4 bytes little-endian.
struct TRegValue {
    std::uint32_t Type = REG_NONE;
    QByteArray Data;

    static TRegValue String(const QString& text);
    static TRegValue Dword(std::uint32_t value);
    static TRegValue Binary(const QByteArray& bytes);
};

// A key of a registry tree. Names compare without regard to case and keep the
// spelling they were created with; values and subkeys enumerate in creation order.
class TRegKey {
public:
    const TRegKey* SubKey(const QString& name) const;
    TRegKey* SubKey(const QString& name);
    // The subkey of that name, created when missing.
    TRegKey& AddSubKey(const QString& name);
    // Follows a path of subkey names; nullptr when a key on the way is missing.
    const TRegKey* Find(const QStringList& path) const;
    TRegKey* Find(const QStringList& path);
    // Follows a path, creating the missing keys.
    TRegKey& Create(const QStringList& path);

    const TRegValue* Value(const QString& name) const;
    // Replaces a value in place (keeping its spelling) or adds it at the end.
    void SetValue(const QString& name, TRegValue value);
    bool RemoveValue(const QString& name);

    const std::vector<std::pair<QString, TRegValue>>& Values() const { return values_; }
    const std::vector<std::pair<QString, std::unique_ptr<TRegKey>>>& SubKeys() const {
        return subkeys_;
    }

private:
    std::vector<std::pair<QString, TRegValue>> values_;
    std::vector<std::pair<QString, std::unique_ptr<TRegKey>>> subkeys_;
};

// The regedit export text of a HKEY_CURRENT_USER tree, and back. Parsing never
// fails: lines that cannot be read are skipped and reported through damaged.
QByteArray FormatRegistryFile(const TRegKey& root);
TRegKey ParseRegistryFile(const QByteArray& text, bool* damaged = nullptr);

// Path of the HKEY_CURRENT_USER file, from the current environment.
std::string RegistryFilePath();

// Builds the HKEY_LOCAL_MACHINE tree; called each time a key is opened under it.
using TRegTreeProvider = std::function<std::shared_ptr<const TRegKey>()>;
// An empty provider makes HKEY_LOCAL_MACHINE an empty tree.
void SetLocalMachineProvider(TRegTreeProvider provider);

// The accessor: one open key at a time under one root. Paths are separated by
// backslashes; a leading backslash makes a path absolute under the root, otherwise
// it is taken relative to the open key (or the root when none is open). Names are
// 8-bit Windows-1252 texts.
class TRegistry {
public:
    explicit TRegistry(std::uint32_t access = KEY_ALL_ACCESS);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TRegRoot RootKey() const { return root_; }
    // Closes the open key.
    void SetRootKey(TRegRoot root);
    std::uint32_t Access() const { return access_; }
    void SetAccess(std::uint32_t access) { access_ = access; }
    // The open key's path below the root, without a leading backslash.
    std::string CurrentPath() const;

    // Opens a key with the accessor's access; canCreate creates it when missing.
    // False when it does not exist, cannot be created or that access is denied
    // (HKEY_LOCAL_MACHINE is read-only).
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    // Creates a key and the keys above it; false when that is not possible. The
    // open key does not change.
    bool CreateKey(const std::string& key);
    void CloseKey();

    // Read errors: no open key, a value of another type, a value too large for the
    // buffer, and for ReadInteger a missing value, raise ERegistryException.
    std::int32_t ReadInteger(const std::string& name) const;
    // A missing value reads as empty; the text ends at its first zero.
    std::string ReadString(const std::string& name) const;
    // Copies a REG_BINARY value into buffer and returns its size; 0 when missing.
    std::int32_t ReadBinaryData(const std::string& name, void* buffer, std::int32_t bufSize) const;
    bool ValueExists(const std::string& name) const;
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;
    bool HasSubKeys() const;

    // Write errors (no open key, a read-only key, the file cannot be written) raise
    // ERegistryException; the stored value then stays as it was.
    void WriteInteger(const std::string& name, std::int32_t value);
    void WriteString(const std::string& name, const std::string& value);
    void WriteBinaryData(const std::string& name, const void* buffer, std::int32_t size);
    // False when the value did not exist or could not be deleted.
    bool DeleteValue(const std::string& name);

private:
    bool Open(const std::string& key, bool canCreate, std::uint32_t access);
    QStringList Target(const std::string& key) const;
    // The open key in a fresh view of the tree (nullptr when it has vanished since
    // it was opened); tree keeps the view alive.
    const TRegKey* CurrentKey(std::shared_ptr<const TRegKey>& tree) const;
    void Write(const std::string& name, TRegValue value);

    TRegRoot root_ = HKEY_CURRENT_USER;
    std::uint32_t access_;
    bool open_ = false;
    std::uint32_t openAccess_ = 0;
    QStringList path_;
    // The HKEY_LOCAL_MACHINE tree as it was when the key was opened.
    std::shared_ptr<const TRegKey> machine_;
};
