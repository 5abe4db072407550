// A library with the link library's 23 entry point names and no link behind them:
// the loader only resolves names, so this is all its tests need.
#include <orvexlink.h>

extern "C" {
__attribute__((visibility("default"))) bool ociCreateNewConnection(const TConnParams*) {
    return false;
}
__attribute__((visibility("default"))) void ociDeleteConnection() {}
__attribute__((visibility("default"))) void ociSetProtocol(int32_t) {}
__attribute__((visibility("default"))) bool ociIsValid() {
    return false;
}
__attribute__((visibility("default"))) bool ociIsBusy() {
    return false;
}
__attribute__((visibility("default"))) bool ociIsConnected() {
    return false;
}
__attribute__((visibility("default"))) bool ociWaitToConnect(uint32_t) {
    return false;
}
__attribute__((visibility("default"))) bool ociConnectedRequest(TZelkBasicMsg*, TZelkBasicMsg*) {
    return false;
}
__attribute__((visibility("default"))) bool ociDatagramRequest(TZelkBasicMsg*, TZelkBasicMsg*) {
    return false;
}
__attribute__((visibility("default"))) bool ociRequest(TZelkBasicMsg*, TZelkBasicMsg*) {
    return false;
}
__attribute__((visibility("default"))) bool ociSuspendConnection() {
    return false;
}
__attribute__((visibility("default"))) bool ociResumeConnection() {
    return false;
}
__attribute__((visibility("default"))) void ociSetNotifyError(TOciMethod) {}
__attribute__((visibility("default"))) void ociSetNotifyRx(TOciMethod) {}
__attribute__((visibility("default"))) TOciMethod ociGetNotifyError() {
    return {};
}
__attribute__((visibility("default"))) TOciMethod ociGetNotifyRx() {
    return {};
}
__attribute__((visibility("default"))) void ociSetTxTimeout(uint32_t) {}
__attribute__((visibility("default"))) uint32_t ociGetTxTimeout() {
    return 0;
}
__attribute__((visibility("default"))) void ociSetLog(const char*, int32_t) {}
__attribute__((visibility("default"))) void ociLog(int32_t, const char*) {}
__attribute__((visibility("default"))) void ociSetUnsyncNotifyError(TOciMethod) {}
__attribute__((visibility("default"))) void ociSetUnsyncNotifyRx(TOciMethod) {}
#ifndef LOADER_TEST_INCOMPLETE
__attribute__((visibility("default"))) void ociCheckSynchronize() {}
#endif
}
