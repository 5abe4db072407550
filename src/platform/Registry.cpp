#include "platform/Registry.h"

#include "platform/Ansi.h"

#include <QStringDecoder>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kRootName = QStringLiteral("HKEY_CURRENT_USER");

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

template <typename Entries> auto FindEntry(Entries& entries, const QString& name) {
    auto it = entries.begin();
    while (it != entries.end() && !SameName(it->first, name))
        ++it;
    return it;
}

// A name the file can hold on one line; the registry itself refuses zeros.
bool ValidName(const QString& name) {
    return !name.contains(QChar(0)) && !name.contains(QChar('\n')) && !name.contains(QChar('\r'));
}

bool IsHex(const QString& digits) {
    for (QChar c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7F)
            return false;
    }
    return !digits.isEmpty();
}

QString DecodeUtf16(const QByteArray& data) {
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                                static_cast<unsigned char>(data[i + 1]) << 8)));
    return text;
}

// ---- the file format ------------------------------------------------------------

QString Quote(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QChar('\\') || c == QChar('"'))
            quoted.append(QChar('\\'));
        quoted.append(c);
    }
    quoted.append(QChar('"'));
    return quoted;
}

// A REG_SZ that reads back the same from a quoted text: one terminator at the end,
// no other zero, no line break.
bool QuotableString(const TRegValue& value, QString* text) {
    if (value.Type != REG_SZ || value.Data.size() < 2 || value.Data.size() % 2 != 0)
        return false;
    QString units = DecodeUtf16(value.Data);
    if (units.back() != QChar(0))
        return false;
    units.chop(1);
    if (!ValidName(units) || !units.isValidUtf16())
        return false;
    *text = units;
    return true;
}

QString FormatData(const QString& prefix, const TRegValue& value) {
    QString text;
    if (QuotableString(value, &text))
        return prefix + Quote(text);
    if (value.Type == REG_DWORD && value.Data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | static_cast<unsigned char>(value.Data[i]);
        return prefix + QStringLiteral("dword:%1").arg(number, 8, 16, QChar('0'));
    }
    // Bytes as regedit writes them: lines of at most 80 characters, continued with
    // a backslash and two blanks of indent.
    QString line =
        prefix + (value.Type == REG_BINARY ? QStringLiteral("hex:")
                                           : QStringLiteral("hex(%1):").arg(value.Type, 0, 16));
    QString out;
    for (qsizetype i = 0; i < value.Data.size(); ++i) {
        QString token =
            QStringLiteral("%1").arg(static_cast<unsigned char>(value.Data[i]), 2, 16, QChar('0'));
        if (i + 1 < value.Data.size())
            token.append(QChar(','));
        if (i > 0 && line.size() + token.size() + 1 > 80) {
            out += line + QStringLiteral("\\\n");
            line = QStringLiteral("  ");
        }
        line += token;
    }
    return out + line;
}

void FormatKey(const TRegKey& key, const QString& path, QString& out) {
    out += QChar('[') + path + QStringLiteral("]\n");
    for (const auto& [name, value] : key.Values())
        out +=
            FormatData((name.isEmpty() ? QStringLiteral("@") : Quote(name)) + QChar('='), value) +
            QChar('\n');
    out += QChar('\n');
    for (const auto& [name, subkey] : key.SubKeys())
        FormatKey(*subkey, path + QChar('\\') + name, out);
}

// Reads one line of the file after another; a line that cannot be read sets damaged.
class Parser {
public:
    Parser(const QByteArray& text, bool* damaged) : damaged_(damaged) {
        QByteArray bytes = text;
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        lines_ = bytes.split('\n');
    }

    TRegKey Parse() {
        TRegKey root;
        TRegKey* current = nullptr;
        bool first = true;
        QString line;
        while (NextLine(line)) {
            line = line.trimmed();
            if (line.isEmpty() || line.startsWith(QChar(';')))
                continue;
            if (first) {
                first = false;
                if (line == kHeader)
                    continue;
                Damaged();
            }
            if (line.startsWith(QChar('[')) && line.endsWith(QChar(']')))
                current = Section(root, line.mid(1, line.size() - 2));
            else if (!current || !ValueLine(*current, line))
                Damaged();
        }
        return root;
    }

private:
    void Damaged() {
        if (damaged_)
            *damaged_ = true;
    }

    bool Decode(qsizetype index, QString& line) const {
        QByteArray bytes = lines_[index];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        line = decoder(bytes);
        return !decoder.hasError();
    }

    bool NextLine(QString& line) {
        while (next_ < lines_.size()) {
            if (Decode(next_++, line))
                return true;
            Damaged();
        }
        return false;
    }

    // Takes the next line as the continuation of a byte list, unless it is not one
    // (a file cut short): then it is left to be read on its own.
    bool Continuation(QString& line) {
        if (next_ >= lines_.size() || !Decode(next_, line))
            return false;
        line = line.trimmed();
        for (QChar c : line) {
            if (c != QChar(',') && c != QChar('\\') && !c.isSpace() && !IsHex(QString(c)))
                return false;
        }
        ++next_;
        return true;
    }

    TRegKey* Section(TRegKey& root, const QString& path) {
        QStringList parts = path.split(QChar('\\'));
        if (!SameName(parts.front(), kRootName) || parts.contains(QString())) {
            Damaged();
            return nullptr;
        }
        parts.removeFirst();
        return &root.Create(parts);
    }

    // Reads a quoted text at pos, undoing the \\ and \" escapes.
    static bool Unquote(const QString& line, qsizetype& pos, QString& text) {
        if (pos >= line.size() || line[pos] != QChar('"'))
            return false;
        for (++pos; pos < line.size(); ++pos) {
            QChar c = line[pos];
            if (c == QChar('"')) {
                ++pos;
                return true;
            }
            if (c == QChar('\\')) {
                if (++pos >= line.size() || (line[pos] != QChar('\\') && line[pos] != QChar('"')))
                    return false;
                c = line[pos];
            }
            text.append(c);
        }
        return false;
    }

    bool ValueLine(TRegKey& key, const QString& line) {
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(QChar('@')))
            pos = 1;
        else if (!Unquote(line, pos, name))
            return false;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QChar('='))
            return false;
        QString data = line.mid(pos + 1).trimmed();
        TRegValue value;
        if (!Data(data, value))
            return false;
        key.SetValue(name, std::move(value));
        return true;
    }

    bool Data(QString data, TRegValue& value) {
        if (data.startsWith(QChar('"'))) {
            qsizetype pos = 0;
            QString text;
            if (!Unquote(data, pos, text) || pos != data.size())
                return false;
            value = TRegValue::String(text);
            return true;
        }
        if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            QString digits = data.mid(6);
            if (!IsHex(digits) || digits.size() > 8)
                return false;
            value = TRegValue::Dword(digits.toUInt(nullptr, 16));
            return true;
        }
        if (!data.startsWith(QStringLiteral("hex"), Qt::CaseInsensitive))
            return false;
        qsizetype colon = data.indexOf(QChar(':'));
        if (colon < 0)
            return false;
        QString kind = data.left(colon).mid(3);
        value.Type = REG_BINARY;
        if (!kind.isEmpty()) {
            QString number = kind.mid(1, kind.size() - 2);
            if (!kind.startsWith(QChar('(')) || !kind.endsWith(QChar(')')) || !IsHex(number) ||
                number.size() > 8)
                return false;
            value.Type = number.toUInt(nullptr, 16);
        }
        QString bytes = data.mid(colon + 1);
        QString more;
        // A continued line ends with a backslash.
        while (bytes.endsWith(QChar('\\'))) {
            bytes.chop(1);
            if (!Continuation(more))
                return false;
            bytes += more;
        }
        for (QString token : bytes.split(QChar(','))) {
            token = token.trimmed();
            if (token.isEmpty() && bytes.trimmed().isEmpty())
                break;
            if (!IsHex(token) || token.size() != 2)
                return false;
            value.Data.append(static_cast<char>(token.toUInt(nullptr, 16)));
        }
        return true;
    }

    bool* damaged_;
    QList<QByteArray> lines_;
    qsizetype next_ = 0;
};

// ---- the file on disk -----------------------------------------------------------

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw ERegistryException(what + " " + path + ": " + std::strerror(errno));
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close is seen.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string Parent(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// mkdir -p, the folders it makes private to the user.
void MakeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            errno = ENOTDIR;
            Fail("cannot create", folder);
        }
        return;
    }
    if (errno != ENOENT)
        Fail("cannot create", folder);
    const std::size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0)
        MakeFolders(Parent(folder));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        Fail("cannot create", folder);
}

// Reads the whole file; false when it does not exist.
bool ReadFile(const std::string& path, QByteArray& bytes) {
    bytes.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return false;
        Fail("cannot read", path);
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("cannot read", path);
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

void WriteAll(int fd, const QByteArray& bytes, const std::string& path) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail("cannot write", path);
        done += n;
    }
}

// Writes a private file and flushes it to the disk; flags add O_TRUNC or O_EXCL.
void WriteFile(const std::string& path, const QByteArray& bytes, int flags) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | flags, 0600));
    if (fd.get() < 0)
        Fail("cannot create", path);
    // The umask may have taken more than we want, or an old file may have more.
    if (::fchmod(fd.get(), 0600) != 0)
        Fail("cannot protect", path);
    WriteAll(fd.get(), bytes, path);
    if (::fsync(fd.get()) != 0 || !fd.Close())
        Fail("cannot write", path);
}

// Keeps the bytes of a damaged file under a name of their own before the file is
// replaced; earlier copies are never overwritten.
void KeepAside(const std::string& path, const QByteArray& bytes) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    const std::string base = path + ".damaged-" + stamp;
    std::string aside = base;
    for (int n = 1; ::access(aside.c_str(), F_OK) == 0; ++n)
        aside = base + "-" + std::to_string(n);
    WriteFile(aside, bytes, O_EXCL);
}

std::shared_ptr<const TRegKey> LoadUserTree() {
    QByteArray bytes;
    try {
        ReadFile(RegistryFilePath(), bytes);
    } catch (const ERegistryException&) {
        // An unreadable file holds no values for us.
        bytes.clear();
    }
    return std::make_shared<const TRegKey>(ParseRegistryFile(bytes));
}

// One change of the user's tree: under the lock, on the file as it is now. change
// reports whether it changed anything; nothing is written otherwise.
template <typename Change> void ChangeUserTree(Change change) {
    const std::string path = RegistryFilePath();
    MakeFolders(Parent(path));
    const std::string lockPath = path + ".lock";
    Fd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.get() < 0)
        Fail("cannot open", lockPath);
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            Fail("cannot lock", lockPath);
    }
    QByteArray old;
    bool exists = ReadFile(path, old);
    bool damaged = false;
    TRegKey tree = ParseRegistryFile(old, &damaged);
    if (!change(tree))
        return;
    if (exists && damaged)
        KeepAside(path, old);
    const std::string temp = path + ".tmp";
    WriteFile(temp, FormatRegistryFile(tree), O_TRUNC);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        Fail("cannot replace", path);
    Fd folder(::open(Parent(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
}

TRegTreeProvider& LocalMachineProvider() {
    static TRegTreeProvider provider;
    return provider;
}

} // namespace

// ---- values and keys ------------------------------------------------------------

TRegValue TRegValue::String(const QString& text) {
    TRegValue value;
    value.Type = REG_SZ;
    for (QChar c : text + QChar(0)) {
        value.Data.append(static_cast<char>(c.unicode() & 0xFF));
        value.Data.append(static_cast<char>(c.unicode() >> 8));
    }
    return value;
}

TRegValue TRegValue::Dword(std::uint32_t number) {
    TRegValue value;
    value.Type = REG_DWORD;
    for (int i = 0; i < 4; ++i)
        value.Data.append(static_cast<char>(number >> (8 * i) & 0xFF));
    return value;
}

TRegValue TRegValue::Binary(const QByteArray& bytes) {
    TRegValue value;
    value.Type = REG_BINARY;
    value.Data = bytes;
    return value;
}

const TRegKey* TRegKey::SubKey(const QString& name) const {
    auto it = FindEntry(subkeys_, name);
    return it == subkeys_.end() ? nullptr : it->second.get();
}

TRegKey* TRegKey::SubKey(const QString& name) {
    auto it = FindEntry(subkeys_, name);
    return it == subkeys_.end() ? nullptr : it->second.get();
}

TRegKey& TRegKey::AddSubKey(const QString& name) {
    if (TRegKey* existing = SubKey(name))
        return *existing;
    subkeys_.emplace_back(name, std::make_unique<TRegKey>());
    return *subkeys_.back().second;
}

const TRegKey* TRegKey::Find(const QStringList& path) const {
    const TRegKey* key = this;
    for (const QString& name : path) {
        key = key->SubKey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

TRegKey* TRegKey::Find(const QStringList& path) {
    return const_cast<TRegKey*>(std::as_const(*this).Find(path));
}

TRegKey& TRegKey::Create(const QStringList& path) {
    TRegKey* key = this;
    for (const QString& name : path)
        key = &key->AddSubKey(name);
    return *key;
}

const TRegValue* TRegKey::Value(const QString& name) const {
    auto it = FindEntry(values_, name);
    return it == values_.end() ? nullptr : &it->second;
}

void TRegKey::SetValue(const QString& name, TRegValue value) {
    auto it = FindEntry(values_, name);
    if (it == values_.end())
        values_.emplace_back(name, std::move(value));
    else
        it->second = std::move(value);
}

bool TRegKey::RemoveValue(const QString& name) {
    auto it = FindEntry(values_, name);
    if (it == values_.end())
        return false;
    values_.erase(it);
    return true;
}

QByteArray FormatRegistryFile(const TRegKey& root) {
    QString out = kHeader + QStringLiteral("\n\n");
    FormatKey(root, kRootName, out);
    return out.toUtf8();
}

TRegKey ParseRegistryFile(const QByteArray& text, bool* damaged) {
    if (damaged)
        *damaged = false;
    return Parser(text, damaged).Parse();
}

std::string RegistryFilePath() {
    std::string home;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        home = config;
    } else {
        const char* user = std::getenv("HOME");
        if (!user || !*user) {
            const passwd* entry = ::getpwuid(::getuid());
            user = entry ? entry->pw_dir : "";
        }
        home = std::string(user) + "/.config";
    }
    return home + "/Orvex/registry.reg";
}

void SetLocalMachineProvider(TRegTreeProvider provider) {
    LocalMachineProvider() = std::move(provider);
}

// ---- the accessor ---------------------------------------------------------------

TRegistry::TRegistry(std::uint32_t access) : access_(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(TRegRoot root) {
    CloseKey();
    root_ = root;
}

std::string TRegistry::CurrentPath() const {
    return ToAnsi(path_.join(QChar('\\')));
}

QStringList TRegistry::Target(const std::string& key) const {
    QString text = FromAnsi(key);
    QStringList parts = text.split(QChar('\\'), Qt::SkipEmptyParts);
    if (open_ && !text.startsWith(QChar('\\')))
        return path_ + parts;
    return parts;
}

bool TRegistry::Open(const std::string& key, bool canCreate, std::uint32_t access) {
    QStringList target = Target(key);
    for (const QString& name : target) {
        if (!ValidName(name))
            return false;
    }
    std::shared_ptr<const TRegKey> machine;
    if (root_ == HKEY_LOCAL_MACHINE) {
        if (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
            return false;
        const TRegTreeProvider& provider = LocalMachineProvider();
        machine = provider ? provider() : nullptr;
        if (!machine)
            machine = std::make_shared<const TRegKey>();
        if (!machine->Find(target))
            return false;
    } else if (!LoadUserTree()->Find(target)) {
        if (!canCreate)
            return false;
        try {
            ChangeUserTree([&](TRegKey& tree) {
                tree.Create(target);
                return true;
            });
        } catch (const ERegistryException&) {
            return false;
        }
    }
    CloseKey();
    open_ = true;
    openAccess_ = access;
    path_ = target;
    machine_ = std::move(machine);
    return true;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    return Open(key, canCreate, access_);
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return Open(key, false, KEY_READ);
}

bool TRegistry::CreateKey(const std::string& key) {
    QStringList target = Target(key);
    if (root_ == HKEY_LOCAL_MACHINE || target.isEmpty())
        return false;
    for (const QString& name : target) {
        if (!ValidName(name))
            return false;
    }
    try {
        ChangeUserTree([&](TRegKey& tree) {
            if (tree.Find(target))
                return false;
            tree.Create(target);
            return true;
        });
    } catch (const ERegistryException&) {
        return false;
    }
    return true;
}

void TRegistry::CloseKey() {
    open_ = false;
    openAccess_ = 0;
    path_.clear();
    machine_.reset();
}

const TRegKey* TRegistry::CurrentKey(std::shared_ptr<const TRegKey>& tree) const {
    if (!open_)
        throw ERegistryException("No registry key is open");
    tree = root_ == HKEY_LOCAL_MACHINE ? machine_ : LoadUserTree();
    return tree->Find(path_);
}

namespace {

const TRegValue* FindValue(const TRegKey* key, const std::string& name) {
    return key ? key->Value(FromAnsi(name)) : nullptr;
}

[[noreturn]] void InvalidType(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

} // namespace

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
    std::shared_ptr<const TRegKey> tree;
    const TRegValue* value = FindValue(CurrentKey(tree), name);
    if (!value || value->Type != REG_DWORD || value->Data.size() != 4)
        InvalidType(name);
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = number << 8 | static_cast<unsigned char>(value->Data[i]);
    return static_cast<std::int32_t>(number);
}

std::string TRegistry::ReadString(const std::string& name) const {
    std::shared_ptr<const TRegKey> tree;
    const TRegValue* value = FindValue(CurrentKey(tree), name);
    if (!value)
        return {};
    if (value->Type != REG_SZ && value->Type != REG_EXPAND_SZ)
        InvalidType(name);
    QString text = DecodeUtf16(value->Data);
    qsizetype end = text.indexOf(QChar(0));
    if (end >= 0)
        text.truncate(end);
    return ToAnsi(text);
}

std::int32_t TRegistry::ReadBinaryData(const std::string& name, void* buffer,
                                       std::int32_t bufSize) const {
    std::shared_ptr<const TRegKey> tree;
    const TRegValue* value = FindValue(CurrentKey(tree), name);
    if (!value)
        return 0;
    if (value->Type != REG_BINARY)
        InvalidType(name);
    if (value->Data.size() > bufSize)
        throw ERegistryException("Failed to get data for '" + name + "'");
    std::memcpy(buffer, value->Data.constData(), static_cast<size_t>(value->Data.size()));
    return static_cast<std::int32_t>(value->Data.size());
}

bool TRegistry::ValueExists(const std::string& name) const {
    std::shared_ptr<const TRegKey> tree;
    return FindValue(CurrentKey(tree), name) != nullptr;
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::shared_ptr<const TRegKey> tree;
    std::vector<std::string> names;
    if (const TRegKey* key = CurrentKey(tree)) {
        for (const auto& entry : key->Values())
            names.push_back(ToAnsi(entry.first));
    }
    return names;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::shared_ptr<const TRegKey> tree;
    std::vector<std::string> names;
    if (const TRegKey* key = CurrentKey(tree)) {
        for (const auto& entry : key->SubKeys())
            names.push_back(ToAnsi(entry.first));
    }
    return names;
}

bool TRegistry::HasSubKeys() const {
    std::shared_ptr<const TRegKey> tree;
    const TRegKey* key = CurrentKey(tree);
    return key && !key->SubKeys().empty();
}

void TRegistry::Write(const std::string& name, TRegValue value) {
    const std::string failure = "Failed to set data for '" + name + "'";
    if (!open_ || root_ == HKEY_LOCAL_MACHINE || !(openAccess_ & KEY_SET_VALUE))
        throw ERegistryException(failure);
    QString valueName = FromAnsi(name);
    if (!ValidName(valueName))
        throw ERegistryException(failure);
    try {
        ChangeUserTree([&](TRegKey& tree) {
            tree.Create(path_).SetValue(valueName, std::move(value));
            return true;
        });
    } catch (const ERegistryException& error) {
        throw ERegistryException(failure + ": " + error.what());
    }
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    Write(name, TRegValue::Dword(static_cast<std::uint32_t>(value)));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    Write(name, TRegValue::String(FromAnsi(value)));
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, std::int32_t size) {
    if (size < 0)
        throw ERegistryException("Failed to set data for '" + name + "'");
    Write(name, TRegValue::Binary(QByteArray(static_cast<const char*>(buffer), size)));
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!open_ || root_ == HKEY_LOCAL_MACHINE || !(openAccess_ & KEY_SET_VALUE))
        return false;
    bool deleted = false;
    try {
        ChangeUserTree([&](TRegKey& tree) {
            TRegKey* key = tree.Find(path_);
            deleted = key && key->RemoveValue(FromAnsi(name));
            return deleted;
        });
    } catch (const ERegistryException&) {
        return false;
    }
    return deleted;
}
