// window-gallery: renders every window of the program, translated into a language,
// to PNG files for visual review. Runs on Qt's offscreen platform unless another
// one is asked for.
//
//     window-gallery [--lang CODE] [--out FOLDER]
//
// Each window becomes FOLDER/<form name>.png (client area, as laid out by the
// neutral skin); the error box becomes FOLDER/ErrorBox.png. A window that a user
// only sees through its Execute is shot while Execute shows it, so its fields hold
// what Execute put there; the others are filled with sample data first. A new
// window is one more entry in Shots below.
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "localization/Zelklocalize.h"
#include "monitor/Aboutwin.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"
#include "platform/SerialPortView.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"
#include "settings/Ut.h"
#include "startup/AllForms.h"
#include "startup/Identificazioneutentewin.h"
#include "startup/Startwin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

QString OutputFolder;
int Failures = 0;

void Save(QWidget* window, const QString& name) {
    const QString path = QDir(OutputFolder).filePath(name + ".png");
    if (window->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "window-gallery: cannot write %s\n", qPrintable(path));
        ++Failures;
    }
}

// Once the top-level window found by find shows, saves it under name and closes it
// with its close box (or accept for a message box); then run opens it.
void ShootWhileShown(const std::function<QWidget*()>& find, const QString& name,
                     const std::function<void()>& run) {
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* window = find();
        if (!window || !window->isVisible())
            return;
        poll.stop();
        Save(window, name);
        if (auto* box = qobject_cast<QMessageBox*>(window))
            box->accept();
        else
            window->close();
    });
    poll.start();
    run();
    if (poll.isActive()) {
        std::fprintf(stderr, "window-gallery: %s was not shown\n", qPrintable(name));
        ++Failures;
    }
}

void ShootForm(TForm* form, const std::function<void()>& execute) {
    ShootWhileShown([form] { return form; }, form->objectName(), execute);
}

QWidget* VisibleMessageBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible())
            return w;
    return nullptr;
}

// The monitoring window shows a live board; here, a board with some inputs active.
void ShootMainFrm() {
    TBoardId id{};
    id.Id8 = 0x12;
    id.Id16 = 0x3456;
    id.Id32 = 0x789ABCDE;
    MainFrm->InfoPan->setText(TMainFrm::InfoLine(id, 0x01000108));
    for (TLed* led :
         {MainFrm->Input1Led, MainFrm->Input3Led, MainFrm->Allarme1Led, MainFrm->Tamper2Led,
          MainFrm->Cavo4Led, MainFrm->Output1Led, MainFrm->LinkLed})
        led->SetValue(true);
    Save(MainFrm, MainFrm->objectName());
}

void ShootAll() {
    ShootMainFrm();
    // Its timer closes it at once without a connection: shot as designed.
    Save(ReqSuInfoFrm, ReqSuInfoFrm->objectName());
    std::string password;
    ShootForm(InputPasswordFrm, [&] { InputPasswordFrm->Execute(password); });
    TPyloxConfig config{};
    DefaultConfig(config);
    ShootForm(ConfigFrm, [&] { ConfigFrm->Execute(nullptr, config); });
    ShootForm(HintLevelsFrm, [] { HintLevelsFrm->Execute(); });
    password = "480917";
    ShootForm(GetPasswordFrm, [&] { GetPasswordFrm->Execute(password, 6, 3); });
    // The start window as the mouse rests on its connect button.
    Application->SetHint(StartFrm->CollegaBtn->statusTip());
    Save(StartFrm, StartFrm->objectName());
    ShootForm(AboutFrm, [] { AboutFrm->Execute(0x01000108); });
    std::string user;
    ShootForm(LogonFrm, [&] { LogonFrm->Execute(user, password); });
    // The options windows edit settings of their own and list sample serial ports.
    TPcConfig settings;
    settings.CommPort = 33;
    WriteLanguage(GetCurrentLanguage().toStdString());
    ShootForm(OpzioniFrm, [&] { OpzioniFrm->Execute(&settings); });
    const auto ports = SerialPortTree({
        {1, "/dev/ttyS0", "PNP", "PNP0501", "ttyS0", "ttyS0"},
        {7, "/dev/pts/3", "", "", "", ""},
        {33, "/dev/ttyUSB0", "USB", "VID_0403&PID_6001", "ttyUSB0", "FT232R USB UART"},
    });
    SetLocalMachineProvider([ports] { return ports; });
    ShootForm(OpzioniSerialeFrm, [&] { OpzioniSerialeFrm->Execute(settings); });
    ShootWhileShown(VisibleMessageBox, "ErrorBox",
                    [] { ShowErrorBox(_("Impossibile effettuare il collegamento")); });
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Renders every window of pylox-service to PNG files.");
    parser.addHelpOption();
    parser.addOption({"lang", "Language code of the window texts (default: Italian, untranslated).",
                      "code", "it"});
    parser.addOption({"out", "Folder for the pictures (created when missing).", "folder", "."});
    parser.process(app);
    OutputFolder = parser.value("out");
    if (!QDir().mkpath(OutputFolder)) {
        std::fprintf(stderr, "window-gallery: cannot create %s\n", qPrintable(OutputFolder));
        return 1;
    }

    // The windows load and save settings: never the user's own.
    QTemporaryDir settingsHome;
    if (!settingsHome.isValid()) {
        std::fprintf(stderr, "window-gallery: cannot create a settings folder\n");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", qPrintable(settingsHome.path()), 1);

    TApplication application;
    application.SetTitle("PYLOX Service");
    ApplyNeutralSkin();
    UseLanguage(parser.value("lang"));
    AddDomainForResourceString("quil");

    CreateAllForms(application);
    TranslateForms(&application);

    ShootAll();
    application.DestroyForms();
    return Failures == 0 ? 0 : 1;
}
