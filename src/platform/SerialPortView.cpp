#include "platform/SerialPortView.h"

#include <ComPortMap.h>

#include <QString>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace fs = std::filesystem;

namespace {

const fs::path kSysDevices = "/sys/devices";

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    return text.substr(start);
}

// The first line of a sysfs attribute, trimmed; empty when it cannot be read.
std::string Attribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return Trimmed(line);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// A key name may hold no backslash (the path separator) and no control character.
std::string KeyName(std::string text) {
    for (char& c : text)
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    return text;
}

std::string Subsystem(const fs::path& device) {
    std::error_code ec;
    const fs::path link = fs::read_symlink(device / "subsystem", ec);
    return ec ? std::string() : link.filename().string();
}

// The device and the devices above it in the sysfs device tree.
std::vector<fs::path> Ancestors(fs::path device) {
    std::vector<fs::path> chain;
    while (device != kSysDevices && device.string().starts_with(kSysDevices.string() + "/")) {
        chain.push_back(device);
        device = device.parent_path();
    }
    return chain;
}

// udev's model text decoded from its \xNN escapes.
std::string DecodeUdev(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text.compare(i, 2, "\\x") == 0 && i + 4 <= text.size()) {
            const char* first = text.data() + i + 2;
            if (std::from_chars(first, first + 2, value, 16).ptr == first + 2) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The model name udev keeps for the character device, or empty.
std::string UdevModel(dev_t device) {
    std::ifstream in("/run/udev/data/c" + std::to_string(major(device)) + ":" +
                     std::to_string(minor(device)));
    std::string encoded, database, plain, line;
    while (std::getline(in, line)) {
        if (line.starts_with("E:ID_MODEL_ENC="))
            encoded = DecodeUdev(line.substr(15));
        else if (line.starts_with("E:ID_MODEL_FROM_DATABASE="))
            database = line.substr(25);
        else if (line.starts_with("E:ID_MODEL="))
            plain = line.substr(11);
    }
    for (char& c : plain)
        if (c == '_')
            c = ' ';
    for (const std::string* model : {&encoded, &database, &plain})
        if (!Trimmed(*model).empty())
            return Trimmed(*model);
    return {};
}

// Bus, device id and description of a tty on hardware.
void DescribeHardware(const fs::path& tty, const fs::path& hardware, dev_t device,
                      TSerialPortEntry& entry) {
    entry.TtyName = tty.filename().string();
    const std::vector<fs::path> chain = Ancestors(hardware);
    std::string product;
    for (const fs::path& node : chain) {
        const std::string vendor = Attribute(node / "idVendor");
        const std::string model = Attribute(node / "idProduct");
        if (!vendor.empty() && !model.empty()) {
            entry.Bus = "USB";
            entry.DeviceId = "VID_" + Upper(vendor) + "&PID_" + Upper(model);
            product = Attribute(node / "product");
            break;
        }
    }
    if (entry.Bus.empty()) {
        // The serial core's own port and controller devices stand between a UART
        // and the device of its bus.
        fs::path named = hardware;
        for (const fs::path& node : chain) {
            const std::string subsystem = Subsystem(node);
            if (!subsystem.empty() && subsystem != "serial-base") {
                named = node;
                break;
            }
        }
        const std::string subsystem = Subsystem(named);
        entry.Bus = subsystem.empty() ? "ROOT" : Upper(subsystem);
        const std::string id = Attribute(named / "id");
        entry.DeviceId = id.empty() ? named.filename().string() : id;
    }
    entry.Bus = KeyName(entry.Bus);
    entry.DeviceId = KeyName(entry.DeviceId);
    entry.Description = UdevModel(device);
    if (entry.Description.empty())
        entry.Description = product;
    if (entry.Description.empty())
        entry.Description = entry.TtyName;
}

// Every COM number the map may resolve: the default range and the dosdevices links.
std::set<int> ComNumbers() {
    std::set<int> numbers;
    for (int n = 1; n <= orvexlink::kMaxComPort; ++n)
        numbers.insert(n);
    const std::string folder = orvexlink::DosDevicesFolder();
    std::error_code ec;
    if (folder.empty())
        return numbers;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        const std::string name = item.path().filename().string();
        if (!name.starts_with("com"))
            continue;
        int n = 0;
        const char* end = name.data() + name.size();
        if (std::from_chars(name.data() + 3, end, n).ptr == end && n >= 1 &&
            "com" + std::to_string(n) == name)
            numbers.insert(n);
    }
    return numbers;
}

} // namespace

std::vector<TSerialPortEntry> MachineSerialPorts() {
    std::vector<TSerialPortEntry> ports;
    for (const int n : ComNumbers()) {
        TSerialPortEntry entry;
        entry.ComNumber = n;
        entry.Device = orvexlink::ComPortDevice(n);
        struct stat device {};
        if (entry.Device.empty() || ::stat(entry.Device.c_str(), &device) != 0 ||
            !S_ISCHR(device.st_mode))
            continue;
        std::error_code ec;
        const bool named = fs::is_symlink(entry.Device, ec);
        const fs::path tty =
            fs::canonical("/sys/dev/char/" + std::to_string(major(device.st_rdev)) + ":" +
                              std::to_string(minor(device.st_rdev)),
                          ec);
        const fs::path hardware = ec ? fs::path() : fs::canonical(tty / "device", ec);
        if (!ec && !hardware.empty()) {
            // A UART slot of the serial driver in which the kernel found no UART.
            if (Attribute(tty / "type") == "0")
                continue;
            DescribeHardware(tty, hardware, device.st_rdev, entry);
        } else if (!named) {
            // Without a link, only serial ports on hardware count.
            continue;
        }
        ports.push_back(std::move(entry));
    }
    return ports;
}

std::shared_ptr<const TRegKey> SerialPortTree(const std::vector<TSerialPortEntry>& ports) {
    auto root = std::make_shared<TRegKey>();
    TRegKey& map = root->Create({"HARDWARE", "DEVICEMAP", "SERIALCOMM"});
    TRegKey& enumKey = root->Create({"System", "CurrentControlSet", "Enum"});
    for (const TSerialPortEntry& port : ports) {
        const QString com = QStringLiteral("COM%1").arg(port.ComNumber);
        map.SetValue(QString::fromStdString(port.Device), TRegValue::String(com));
        if (port.Bus.empty())
            continue;
        TRegKey& device = enumKey.AddSubKey(QString::fromStdString(port.Bus))
                              .AddSubKey(QString::fromStdString(port.DeviceId));
        QString instance = QString::fromStdString(port.TtyName);
        // A second COM number for the same tty (a dosdevices link to it).
        if (device.SubKey(instance))
            instance += QStringLiteral("&") + com;
        TRegKey& key = device.AddSubKey(instance);
        key.SetValue(QStringLiteral("FriendlyName"),
                     TRegValue::String(QString::fromStdString(port.Description) +
                                       QStringLiteral(" (") + com + QStringLiteral(")")));
        key.AddSubKey(QStringLiteral("Device Parameters"))
            .SetValue(QStringLiteral("PortName"), TRegValue::String(com));
    }
    return root;
}

void UseMachineSerialPorts() {
    SetLocalMachineProvider([] { return SerialPortTree(MachineSerialPorts()); });
}
