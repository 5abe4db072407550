/* Public interface of libOrvexLink.so, the board link library.
 *
 * The library holds one connection per process; no call takes a handle. Every
 * block handed across this interface is packed and little-endian, texts are
 * zero-terminated 8-bit (Windows-1252) strings within their declared size.
 * The tool loads the library at run time and resolves these names with dlsym,
 * so the typedefs below are the contract, not the prototypes.
 */
#ifndef ORVEXLINK_H
#define ORVEXLINK_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* Connection parameters, 523 bytes. Bytes a connection kind does not use stay 0. */
typedef struct TConnParams {
    int32_t ComPort;       /* serial port number, 1 = COM1 */
    int32_t Baud;          /* 38400 */
    int32_t DataBits;      /* 8 */
    int32_t LineOption;    /* 0 */
    uint8_t UseModem;      /* 1 for a modem */
    uint8_t Reserved;      /* 0 */
    char PhoneNumber[99];  /* up to 98 characters */
    uint8_t DialOption;    /* 119 for a modem */
    char ModemInit[100];   /* "AT&D0&K0X3" for a modem */
    char HostAddress[100]; /* up to 99 characters */
    char ExtraText1[100];  /* empty for network kinds */
    int32_t Port;          /* network port */
    char ExtraText2[100];  /* empty for network kinds */
    uint8_t Kind;          /* 1 serial, 2 modem, 3 TCP/IP, 4 TCP broadcast, 5 UDP broadcast */
} TConnParams;

/* One frame: a command character, a data block and its length, 242 bytes. */
typedef struct TZelkBasicMsg {
    uint8_t Command;
    uint8_t Data[231];
    uint8_t ControlA;
    uint8_t Reserved[3];
    uint8_t ControlB;
    uint8_t Length;      /* data bytes in use, 0 to 231 */
    uint8_t LinkWord[4]; /* carried along, never interpreted by the tool */
} TZelkBasicMsg;

#pragma pack(pop)

#define OCI_MAX_DATA 231

/* A method pointer passed by value: the code and the object it is called on.
 * Rx notifications call   void Code(void* Data, const TZelkBasicMsg* frame);
 * error notifications call void Code(void* Data, int32_t errorCode).
 * An empty method (Code NULL) switches the notification off. */
typedef struct TOciMethod {
    void* Code;
    void* Data;
} TOciMethod;

typedef void (*TOciRxProc)(void* data, const TZelkBasicMsg* frame);
typedef void (*TOciErrorProc)(void* data, int32_t errorCode);

/* The 23 entry points, in the order the tool resolves them. */
typedef bool (*TociCreateNewConnection)(const TConnParams* params);
typedef void (*TociDeleteConnection)(void);
typedef void (*TociSetProtocol)(int32_t protocol);
typedef bool (*TociIsValid)(void);
typedef bool (*TociIsBusy)(void);
typedef bool (*TociIsConnected)(void);
typedef bool (*TociWaitToConnect)(uint32_t timeoutMs);
typedef bool (*TociConnectedRequest)(TZelkBasicMsg* request, TZelkBasicMsg* answer);
typedef bool (*TociDatagramRequest)(TZelkBasicMsg* request, TZelkBasicMsg* answer);
typedef bool (*TociRequest)(TZelkBasicMsg* request, TZelkBasicMsg* answer);
typedef bool (*TociSuspendConnection)(void);
typedef bool (*TociResumeConnection)(void);
typedef void (*TociSetNotifyError)(TOciMethod method);
typedef void (*TociSetNotifyRx)(TOciMethod method);
typedef TOciMethod (*TociGetNotifyError)(void);
typedef TOciMethod (*TociGetNotifyRx)(void);
typedef void (*TociSetTxTimeout)(uint32_t timeoutMs);
typedef uint32_t (*TociGetTxTimeout)(void);
typedef void (*TociSetLog)(const char* fileName, int32_t level);
typedef void (*TociLog)(int32_t level, const char* text);
typedef void (*TociSetUnsyncNotifyError)(TOciMethod method);
typedef void (*TociSetUnsyncNotifyRx)(TOciMethod method);
typedef void (*TociCheckSynchronize)(void);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(TConnParams) == 523, "TConnParams is 523 bytes");
static_assert(offsetof(TConnParams, Baud) == 4);
static_assert(offsetof(TConnParams, DataBits) == 8);
static_assert(offsetof(TConnParams, LineOption) == 12);
static_assert(offsetof(TConnParams, UseModem) == 16);
static_assert(offsetof(TConnParams, Reserved) == 17);
static_assert(offsetof(TConnParams, PhoneNumber) == 18);
static_assert(offsetof(TConnParams, DialOption) == 117);
static_assert(offsetof(TConnParams, ModemInit) == 118);
static_assert(offsetof(TConnParams, HostAddress) == 218);
static_assert(offsetof(TConnParams, ExtraText1) == 318);
static_assert(offsetof(TConnParams, Port) == 418);
static_assert(offsetof(TConnParams, ExtraText2) == 422);
static_assert(offsetof(TConnParams, Kind) == 522);

static_assert(sizeof(TZelkBasicMsg) == 242, "TZelkBasicMsg is 242 bytes");
static_assert(offsetof(TZelkBasicMsg, Data) == 1);
static_assert(offsetof(TZelkBasicMsg, ControlA) == 232);
static_assert(offsetof(TZelkBasicMsg, ControlB) == 236);
static_assert(offsetof(TZelkBasicMsg, Length) == 237);
static_assert(offsetof(TZelkBasicMsg, LinkWord) == 238);
#endif

#endif /* ORVEXLINK_H */
