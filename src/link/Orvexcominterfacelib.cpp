#include "link/Orvexcominterfacelib.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <filesystem>

namespace orvex {

TociCreateNewConnection ociCreateNewConnection = nullptr;
TociDeleteConnection ociDeleteConnection = nullptr;
TociSetProtocol ociSetProtocol = nullptr;
TociIsValid ociIsValid = nullptr;
TociIsBusy ociIsBusy = nullptr;
TociIsConnected ociIsConnected = nullptr;
TociWaitToConnect ociWaitToConnect = nullptr;
TociConnectedRequest ociConnectedRequest = nullptr;
TociDatagramRequest ociDatagramRequest = nullptr;
TociRequest ociRequest = nullptr;
TociSuspendConnection ociSuspendConnection = nullptr;
TociResumeConnection ociResumeConnection = nullptr;
TociSetNotifyError ociSetNotifyError = nullptr;
TociSetNotifyRx ociSetNotifyRx = nullptr;
TociGetNotifyError ociGetNotifyError = nullptr;
TociGetNotifyRx ociGetNotifyRx = nullptr;
TociSetTxTimeout ociSetTxTimeout = nullptr;
TociGetTxTimeout ociGetTxTimeout = nullptr;
TociSetLog ociSetLog = nullptr;
TociLog ociLog = nullptr;
TociSetUnsyncNotifyError ociSetUnsyncNotifyError = nullptr;
TociSetUnsyncNotifyRx ociSetUnsyncNotifyRx = nullptr;
TociCheckSynchronize ociCheckSynchronize = nullptr;

namespace {

struct EntryPoint {
    const char* name;
    void** slot;
};

template <typename F> void** Slot(F& f) {
    return reinterpret_cast<void**>(&f);
}

// Resolution order of the entry points.
const std::array<EntryPoint, 23> kEntryPoints{{
    {"ociCreateNewConnection", Slot(ociCreateNewConnection)},
    {"ociDeleteConnection", Slot(ociDeleteConnection)},
    {"ociSetProtocol", Slot(ociSetProtocol)},
    {"ociIsValid", Slot(ociIsValid)},
    {"ociIsBusy", Slot(ociIsBusy)},
    {"ociIsConnected", Slot(ociIsConnected)},
    {"ociWaitToConnect", Slot(ociWaitToConnect)},
    {"ociConnectedRequest", Slot(ociConnectedRequest)},
    {"ociDatagramRequest", Slot(ociDatagramRequest)},
    {"ociRequest", Slot(ociRequest)},
    {"ociSuspendConnection", Slot(ociSuspendConnection)},
    {"ociResumeConnection", Slot(ociResumeConnection)},
    {"ociSetNotifyError", Slot(ociSetNotifyError)},
    {"ociSetNotifyRx", Slot(ociSetNotifyRx)},
    {"ociGetNotifyError", Slot(ociGetNotifyError)},
    {"ociGetNotifyRx", Slot(ociGetNotifyRx)},
    {"ociSetTxTimeout", Slot(ociSetTxTimeout)},
    {"ociGetTxTimeout", Slot(ociGetTxTimeout)},
    {"ociSetLog", Slot(ociSetLog)},
    {"ociLog", Slot(ociLog)},
    {"ociSetUnsyncNotifyError", Slot(ociSetUnsyncNotifyError)},
    {"ociSetUnsyncNotifyRx", Slot(ociSetUnsyncNotifyRx)},
    {"ociCheckSynchronize", Slot(ociCheckSynchronize)},
}};

void* gHandle = nullptr;
std::string gLoadedPath;

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace

std::vector<std::string> LinkLibraryCandidates() {
    std::vector<std::string> candidates;
    if (auto folder = ExecutableFolder(); !folder.empty())
        candidates.push_back((folder / kLinkLibraryFile).string());
    // The installed library folder, found from the executable's folder so that an
    // installation works wherever its root lies (a package unpacked anywhere).
    if (auto folder = ExecutableFolder(); !folder.empty())
        candidates.push_back((folder.parent_path() / PYLOX_INSTALL_LIBDIR / kLinkLibraryFile)
                                 .lexically_normal()
                                 .string());
    candidates.emplace_back(kLinkLibraryFile);
    return candidates;
}

int LoadOrvexLib(const std::vector<std::string>& candidates) {
    FreeOrvexLib();
    for (const auto& candidate : candidates) {
        // A path with a folder is only tried when the file is there, so that a
        // damaged library is reported by dlopen and a missing one is skipped quietly.
        const bool bareName = candidate.find('/') == std::string::npos;
        if (!bareName && access(candidate.c_str(), F_OK) != 0)
            continue;
        gHandle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (gHandle) {
            gLoadedPath = candidate;
            break;
        }
    }
    if (!gHandle)
        return -1;
    for (const auto& entry : kEntryPoints)
        *entry.slot = dlsym(gHandle, entry.name);
    return 0;
}

std::vector<std::string> MissingEntryPoints() {
    std::vector<std::string> missing;
    if (!gHandle)
        return missing;
    for (const auto& entry : kEntryPoints)
        if (!*entry.slot)
            missing.emplace_back(entry.name);
    return missing;
}

std::string LoadedLinkLibrary() {
    return gLoadedPath;
}

void FreeOrvexLib() {
    for (const auto& entry : kEntryPoints)
        *entry.slot = nullptr;
    if (gHandle)
        dlclose(gHandle);
    gHandle = nullptr;
    gLoadedPath.clear();
}

} // namespace orvex
