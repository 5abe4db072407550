// Process entry of pylox-service.
#include "link/Orvexcominterfacelib.h"
#include "link/Tzelklog.h"
#include "localization/Zelklocalize.h"
#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/SerialPortView.h"
#include "startup/AllForms.h"
#include "startup/Identificazioneutentewin.h"
#include "startup/ProcessSettings.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: pylox-service [switch...]\n"
    "\n"
    "Service tool for the Pylox board. A switch and its value form one argument.\n"
    "\n"
    "  -usrNAME          PC user name for the logon\n"
    "  -pwrPASSWORD      PC user password for the logon\n"
    "  -brdpswPASSWORD   board password (otherwise asked at each connection)\n"
    "  -tcpipHOST[:PORT] connect over TCP/IP (port 3000 when none is given)\n"
    "  -bftcpHOST:PORT   connect over a TCP broadcast link\n"
    "  -bfudpHOST:PORT   connect over a UDP broadcast link\n"
    "  -online           connect through a modem (the number is asked for)\n"
    "  -connect          connect at once and end when the connection is over\n"
    "  -newprotocol      with -connect, use the current link protocol\n"
    "  -logLEVEL         write the link log log.txt at LEVEL (0: no log)\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n";

// The command line as 8-bit texts, read before Qt takes the arguments it knows.
std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(ToAnsi(QString::fromLocal8Bit(argv[i])));
    return args;
}

void ShowStartupError(const QString& message) {
    std::fprintf(stderr, "pylox-service: %s\n", message.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}

// Creates every window once, in the order the program relies on (the first is the
// main window), translates them, and has the user log on when the command line
// did not give both a name and a password; then runs until the start window closes.
int RunApplication() {
    TApplication application;
    application.SetTitle("PYLOX Service");
    ApplyNeutralSkin();
    // HKEY_LOCAL_MACHINE: the serial ports of this machine, for the serial port dialog.
    UseMachineSerialPorts();
    CreateAllForms(application);
    TranslateAllForms();
    if (Globals.LogonUser.empty() || Globals.LogonPassword.empty())
        LogonFrm->Execute(Globals.LogonUser, Globals.LogonPassword);
    return application.Run();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = Arguments(argc, argv);
    for (const std::string& arg : args) {
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("pylox-service %s\n", PYLOX_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    ParseCommandLine(args, Globals);

    int exitCode = 0;
    try {
        if (orvex::LoadOrvexLib() < 0)
            throw std::runtime_error(std::string(orvex::kLinkLibraryFile) + " not found!");
        if (const auto missing = orvex::MissingEntryPoints(); !missing.empty())
            throw std::runtime_error(orvex::LoadedLinkLibrary() + ": entry point " +
                                     missing.front() + " not found!");
        LinkLogLevel = Globals.LogLevel;
        InitTranslation();
        exitCode = RunApplication();
    } catch (const std::exception& error) {
        ShowStartupError(QString::fromStdString(error.what()));
        exitCode = 1;
    }
    orvex::FreeOrvexLib();
    return exitCode;
}
