// Loader of the board link library: finds libOrvexLink.so, resolves its 23 entry
// points by name and frees it at exit. The tool never links against the library.
#pragma once

#include <orvexlink.h>

#include <string>
#include <vector>

namespace orvex {

// The entry points, valid between a successful LoadOrvexLib and FreeOrvexLib.
extern TociCreateNewConnection ociCreateNewConnection;
extern TociDeleteConnection ociDeleteConnection;
extern TociSetProtocol ociSetProtocol;
extern TociIsValid ociIsValid;
extern TociIsBusy ociIsBusy;
extern TociIsConnected ociIsConnected;
extern TociWaitToConnect ociWaitToConnect;
extern TociConnectedRequest ociConnectedRequest;
extern TociDatagramRequest ociDatagramRequest;
extern TociRequest ociRequest;
extern TociSuspendConnection ociSuspendConnection;
extern TociResumeConnection ociResumeConnection;
extern TociSetNotifyError ociSetNotifyError;
extern TociSetNotifyRx ociSetNotifyRx;
extern TociGetNotifyError ociGetNotifyError;
extern TociGetNotifyRx ociGetNotifyRx;
extern TociSetTxTimeout ociSetTxTimeout;
extern TociGetTxTimeout ociGetTxTimeout;
extern TociSetLog ociSetLog;
extern TociLog ociLog;
extern TociSetUnsyncNotifyError ociSetUnsyncNotifyError;
extern TociSetUnsyncNotifyRx ociSetUnsyncNotifyRx;
extern TociCheckSynchronize ociCheckSynchronize;

// The file name looked for.
inline constexpr const char* kLinkLibraryFile = "libOrvexLink.so";

// Where the library is looked for, in order: next to the executable, the installed
// library folder beside the executable's folder (../lib), then the bare name for the
// system's search path.
std::vector<std::string> LinkLibraryCandidates();

// Loads the first candidate that opens and resolves the entry points. Returns 0 on
// success and -1 when no candidate could be loaded.
int LoadOrvexLib(const std::vector<std::string>& candidates = LinkLibraryCandidates());

// Names of the entry points the loaded library lacks, in resolution order.
std::vector<std::string> MissingEntryPoints();

// The file that was loaded, empty when none is.
std::string LoadedLinkLibrary();

// Unloads the library (also when it never loaded) and clears every entry point.
void FreeOrvexLib();

} // namespace orvex
