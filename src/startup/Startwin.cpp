#include "startup/Startwin.h"

#include "config/Configwin.h"
#include "link/Orvexcominterfacelib.h"
#include "link/Tpyloxdata.h"
#include "monitor/Aboutwin.h"
#include "monitor/Mainwin.h"
#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "platform/Gettext.h"
#include "settings/Opzioni.h"
#include "startup/ProcessSettings.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <stdexcept>

TStartFrm* StartFrm = nullptr;

const std::string MasterUser = "KVR";
const std::string MasterPassword = "pelnox";

void LoadImages() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(images);
        QApplication::setWindowIcon(QIcon(":/images/pylox-service.png"));
        return true;
    }();
    (void)loaded;
}

namespace {

constexpr int32_t kDefaultTcpPort = 3000;
constexpr uint8_t kDialWait = 119; // 'w': wait for the dial tone
constexpr const char* kModemInit = "AT&D0&K0X3";

// Writes the text into a fixed field of the block, cut to leave room for the
// terminating zero; the rest of the field is cleared.
template <std::size_t N> void SetField(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// A whole decimal integer with an optional sign, as the platform reads one.
std::optional<int32_t> ParseInteger(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (last - first > 1 && *first == '+' && first[1] >= '0' && first[1] <= '9')
        ++first;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

int32_t StrToInt(const std::string& text) {
    if (const std::optional<int32_t> value = ParseInteger(text))
        return *value;
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
}

// A button with its glyph above the caption.
QToolButton* MakeGlyphButton(QWidget* parent, const QString& caption, const char* glyph) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(QIcon(QString(":/images/") + glyph));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return button;
}

} // namespace

int32_t CheckLogon(const TPcConfig& config, const std::string& user, const std::string& password) {
    int32_t logged = 0;
    for (int32_t i = 1; i <= 3; ++i) {
        if (user == config.UserNames[i - 1] && password == config.Passwords[i - 1]) {
            logged = i;
            break;
        }
    }
    if (user == MasterUser && password == MasterPassword)
        logged = 99;
    return logged;
}

TStartFrm::TStartFrm() {
    LoadImages();
    setObjectName("StartFrm");
    SetDesign("PYLOX Service", 250, 293, TBorderStyle::Single, true, TPosition::ScreenCenter);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    QMenu* file = MainMenu1->addMenu("&File");
    file->setObjectName("File1");
    Collegaallascheda1 = file->addAction("&Collega alla scheda");
    file->addSeparator();
    Exit1 = file->addAction("&Exit");
    QMenu* view = MainMenu1->addMenu("&Visualizza");
    view->setObjectName("Visualizza1");
    Opzioni1 = view->addAction("&Opzioni");
    Opzioni1->setStatusTip("Opzioni del progamma");
    view->addSeparator();
    Configurazione1 = view->addAction("&Configurazione");
    Abaut1 = MainMenu1->addAction("About");
    Collegaallascheda1->setObjectName("Collegaallascheda1");
    Exit1->setObjectName("Exit1");
    Opzioni1->setObjectName("Opzioni1");
    Configurazione1->setObjectName("Configurazione1");
    Abaut1->setObjectName("Abaut1");
    // The client area of the design lies below the menu bar.
    menuHeight_ = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, 250, menuHeight_);
    setFixedSize(250, 293 + menuHeight_);
    const int top = menuHeight_;

    Image1 = Place(new QLabel(this), "Image1", 0, top, 123, 163);
    Image1->setPixmap(QPixmap(":/images/product.png"));
    CollegaBtn = Place(MakeGlyphButton(this, "&Collega alla scheda", "connect.png"), "CollegaBtn",
                       132, top + 8, 105, 69);
    OpzioniBtn = Place(MakeGlyphButton(this, "&Opzioni", "options.png"), "OpzioniBtn", 132,
                       top + 90, 105, 65);
    ChiudiBtn = Place(MakeButton(this, this, TButtonKind::Custom, "&Uscita"), "ChiudiBtn", 8,
                      top + 176, 233, 65);
    ChiudiBtn->setIcon(QIcon(":/images/exit.png"));
    ChiudiBtn->setIconSize(QSize(32, 32));
    SetHint(CollegaBtn, "Effettua il collegamento con la scheda");
    SetHint(OpzioniBtn, "Opzioni del progamma");
    SetHint(ChiudiBtn, "Premere per uscire dal programma");
    StatusBar = Place(new QStatusBar(this), "StatusBar", 0, top + 293 - 19, 250, 19);
    StatusBar->setSizeGripEnabled(false);

    OnClicked(CollegaBtn, [this] { CollegaBtnClick(); });
    OnClicked(OpzioniBtn, [this] { OpzioniBtnClick(); });
    OnClicked(ChiudiBtn, [this] { Exit1Click(); });
    const auto onTriggered = [this](QAction* action, void (TStartFrm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    onTriggered(Collegaallascheda1, &TStartFrm::CollegaBtnClick);
    onTriggered(Exit1, &TStartFrm::Exit1Click);
    onTriggered(Opzioni1, &TStartFrm::OpzioniBtnClick);
    onTriggered(Configurazione1, &TStartFrm::Configurazione1Click);
    onTriggered(Abaut1, &TStartFrm::Abaut1Click);

    PcConfig.CommPort = 1;
    LoadPcConfig(PcConfig);
}

void TStartFrm::FormCreate() {
    ShowHintsIn(StatusBar);
}

void TStartFrm::FormShow() {
    // The program's main window takes the focus when it appears, also where no
    // window manager hands it over; its first activation may connect at once.
    activateWindow();
    if (ShowCount++ != 0)
        return;
    Globals.LoggedUser = CheckLogon(PcConfig, Globals.LogonUser, Globals.LogonPassword);
    // Closed once the showing is complete, so that the loop that ends with it runs.
    if (Globals.LoggedUser < 1)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TStartFrm::FormActivate() {
    if (!FirstActivate)
        return;
    FirstActivate = false;
    if (Globals.LoggedUser < 1 || !Globals.SwitchConnect)
        return;
    CollegaBtnClick();
    close();
}

void TStartFrm::FormClose() {
    SavePcConfig(PcConfig);
}

void TStartFrm::CollegaBtnClick() {
    Params.ComPort = PcConfig.CommPort;
    Params.Baud = 38400;
    Params.DataBits = 8;
    Params.LineOption = 0;
    const std::string& address = Globals.LinkAddress;
    const std::size_t colon = address.find(':');
    if (Globals.SwitchBfUdp || Globals.SwitchBfTcp) {
        // Without a usable host:port the board is looked for on the serial port.
        Params.Kind = 1;
        if (colon != std::string::npos) {
            SetField(Params.HostAddress, address.substr(0, colon));
            if (const std::optional<int32_t> port = ParseInteger(address.substr(colon + 1))) {
                Params.Port = *port;
                SetField(Params.ExtraText1, "");
                SetField(Params.ExtraText2, "");
                Params.Kind = Globals.SwitchBfTcp ? 4 : 5;
            }
        }
    } else if (Globals.SwitchTcpIp) {
        SetField(Params.HostAddress, address);
        if (colon != std::string::npos) {
            SetField(Params.HostAddress, address.substr(0, colon));
            Params.Port = StrToInt(address.substr(colon + 1));
        } else {
            Params.Port = kDefaultTcpPort;
        }
        SetField(Params.ExtraText1, "");
        SetField(Params.ExtraText2, "");
        Params.Kind = 3;
    } else if (Globals.SwitchOnline) {
        Params.Kind = 2;
        const std::string number = ToAnsi(InputBox(_("Numero Telefonico"), "#", ""));
        SetField(Params.ModemInit, kModemInit);
        SetField(Params.PhoneNumber, number);
        Params.DialOption = kDialWait;
        if (number.empty())
            return;
        Params.UseModem = 1;
    } else {
        Params.Kind = 1;
    }

    // A connect-at-once run speaks the older protocol unless told otherwise.
    orvex::ociSetProtocol(Globals.SwitchConnect && !Globals.SwitchNewProtocol ? 0 : 1);
    if (!Globals.SwitchConnect && isVisible())
        hide();
    try {
        MainFrm->Connect(Params);
    } catch (...) {
        // The monitoring window has reported what went wrong.
    }
    if (!Globals.SwitchConnect)
        show();
    ShowHintsIn(StatusBar);
}

void TStartFrm::OpzioniBtnClick() {
    OpzioniFrm->Execute(&PcConfig);
}

void TStartFrm::Configurazione1Click() {
    // No board: the window edits a default record that nobody keeps.
    TPyloxConfig scratch;
    DefaultConfig(scratch);
    ConfigFrm->Execute(nullptr, scratch);
}

void TStartFrm::Abaut1Click() {
    AboutFrm->Execute(0);
}

void TStartFrm::Exit1Click() {
    close();
}
