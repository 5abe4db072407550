#include "monitor/Mainwin.h"

#include "config/Configwin.h"
#include "link/Tpylox.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Ansi.h"
#include "platform/Gettext.h"
#include "settings/Ut.h"
#include "startup/ProcessSettings.h"
#include "startup/Startwin.h"

#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TMainFrm* MainFrm = nullptr;

namespace {

const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kSilver(192, 192, 192);

TLed* MakeLed(QWidget* parent, const char* name, const QString& label, int top, QColor on,
              QColor off = kSilver) {
    auto* led = new TLed(parent);
    led->setObjectName(name);
    led->move(8, top);
    led->TrueColor = on;
    led->FalseColor = off;
    auto* text = new QLabel(label, parent);
    text->setObjectName(QString::fromLatin1(name).replace("Led", "Lb"));
    text->setGeometry(36, top - 2, parent->width() - 40, 18);
    return led;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& caption, int left, int top,
                     int width, int height) {
    return Place(new QGroupBox(caption, parent), name, left, top, width, height);
}

} // namespace

TMainFrm::TMainFrm() {
    setObjectName("MainFrm");
    SetDesign("PYLOX", 497, 256, TBorderStyle::Dialog, true, TPosition::OwnerFormCenter);

    InfoPan = Place(new QLabel(this), "InfoPan", 144, 8, 345, 20);
    InfoPan->setFrameShape(QFrame::Panel);
    InfoPan->setFrameShadow(QFrame::Sunken);
    InfoPan->setAutoFillBackground(true);
    InfoPan->setBackgroundRole(QPalette::ToolTipBase);
    InfoPan->setForegroundRole(QPalette::ToolTipText);
    InfoPan->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont comic(QStringList{"Comic Sans MS", "Comic Neue"});
    comic.setPointSize(8);
    InfoPan->setFont(comic);

    Panel1 = Place(new QFrame(this), "Panel1", 8, 8, 129, 177);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Image2 = Place(new QLabel(Panel1), "Image2", 1, 1, 127, 175);
    Image2->setScaledContents(true);
    LoadImages();
    Image2->setPixmap(QPixmap(":/images/product.png"));

    Panel2 = Place(new QFrame(this), "Panel2", 8, 192, 129, 25);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    LinkLed = MakeLed(Panel2, "LinkLed", "Link", 6, kLime, kRed);

    GroupBox2 = MakeGroup(this, "GroupBox2", "Ingresso bilanciato 1", 144, 32, 113, 89);
    GroupBox3 = MakeGroup(this, "GroupBox3", "Ingresso bilanciato 2", 272, 32, 113, 89);
    GroupBox4 = MakeGroup(this, "GroupBox4", "Ingresso bilanciato 3", 144, 128, 113, 89);
    GroupBox5 = MakeGroup(this, "GroupBox5", "Ingresso bilanciato 4", 272, 128, 113, 89);
    TLed** balanced[4][3] = {{&Allarme1Led, &Tamper1Led, &Cavo1Led},
                             {&Allarme2Led, &Tamper2Led, &Cavo2Led},
                             {&Allarme3Led, &Tamper3Led, &Cavo3Led},
                             {&Allarme4Led, &Tamper4Led, &Cavo4Led}};
    QGroupBox* groups[4] = {GroupBox2, GroupBox3, GroupBox4, GroupBox5};
    for (int n = 0; n < 4; ++n) {
        const std::string digit = std::to_string(n + 1);
        *balanced[n][0] =
            MakeLed(groups[n], ("Allarme" + digit + "Led").c_str(), "Allarme", 24, kRed);
        *balanced[n][1] =
            MakeLed(groups[n], ("Tamper" + digit + "Led").c_str(), "Tamper", 44, kRed);
        *balanced[n][2] =
            MakeLed(groups[n], ("Cavo" + digit + "Led").c_str(), "Taglio cavo", 64, kRed);
    }

    GroupBox1 = MakeGroup(this, "GroupBox1", "I/O Digitali ", 392, 32, 97, 113);
    Input1Led = MakeLed(GroupBox1, "Input1Led", "Input 1", 22, kLime);
    Input2Led = MakeLed(GroupBox1, "Input2Led", "Input 2", 40, kLime);
    Input3Led = MakeLed(GroupBox1, "Input3Led", "Input 3", 58, kLime);
    Input4Led = MakeLed(GroupBox1, "Input4Led", "Input 4", 76, kLime);
    LowBatLed = MakeLed(GroupBox1, "LowBatLed", "Low bat", 94, kRed);

    GroupBox6 = MakeGroup(this, "GroupBox6", "Uscite ", 392, 152, 97, 65);
    Output1Led = MakeLed(GroupBox6, "Output1Led", "Out 1", 22, kRed);
    Output2Led = MakeLed(GroupBox6, "Output2Led", "Out 2", 42, kRed);

    BitBtn1 =
        Place(MakeButton(this, this, TButtonKind::Close, "&Exit"), "BitBtn1", 8, 224, 105, 25);
    PasswordBtn = Place(MakeButton(this, this, TButtonKind::Custom, "Password"), "PasswordBtn", 196,
                        224, 105, 25);
    BitBtn2 = Place(MakeButton(this, this, TButtonKind::Custom, "&Configurazione"), "BitBtn2", 384,
                    224, 105, 25);
    OnClicked(PasswordBtn, [this] { PasswordBtnClick(); });
    OnClicked(BitBtn2, [this] { BitBtn2Click(); });

    Timer1 = new TTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->SetInterval(300);
    Timer1->OnTimer = [this] { Timer1Timer(); };
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::Connect(const TConnParams& params) {
    Params = params;
    if (Globals.BoardPassword.empty())
        InputPasswordFrm->Execute(LoginPassword);
    else
        LoginPassword = Globals.BoardPassword;
    connection_ = std::make_unique<TPylox>(Params, LoginPassword);
    // The connection ends here on every way out, also when an error escapes.
    struct EndConnection {
        std::unique_ptr<TPylox>& connection;
        ~EndConnection() { connection.reset(); }
    } end{connection_};
    QCoreApplication::processEvents();
    connection_->Resume();
    QCoreApplication::processEvents();
    if (ReqSuInfoFrm->Execute(connection_.get())) {
        RefreshLamps();
        ShowModal();
    } else {
        ShowErrorBox(_("Impossibile effettuare il collegamento"));
    }
}

void TMainFrm::RefreshLamps() {
    TPyloxStatus status;
    {
        TZelkLock lock(connection_->StateLock);
        status = connection_->StatusCopy;
    }
    Input1Led->SetValue(status.DigitalInput(1));
    Input2Led->SetValue(status.DigitalInput(2));
    Input3Led->SetValue(status.DigitalInput(3));
    Input4Led->SetValue(status.DigitalInput(4));
    LowBatLed->SetValue(status.LowBattery());
    TLed* alarm[4] = {Allarme1Led, Allarme2Led, Allarme3Led, Allarme4Led};
    TLed* tamper[4] = {Tamper1Led, Tamper2Led, Tamper3Led, Tamper4Led};
    TLed* cable[4] = {Cavo1Led, Cavo2Led, Cavo3Led, Cavo4Led};
    for (int n = 1; n <= 4; ++n) {
        alarm[n - 1]->SetValue(status.BalancedAlarm(n));
        tamper[n - 1]->SetValue(status.BalancedTamper(n));
        cable[n - 1]->SetValue(status.BalancedCableCut(n));
    }
    Output1Led->SetValue(status.Output(1));
    Output2Led->SetValue(status.Output(2));
}

void TMainFrm::Timer1Timer() {
    Timer1->SetEnabled(false);
    RefreshLamps();
    LinkLed->SetValue(connection_->IsLinkOk());
    Timer1->SetEnabled(true);
}

void TMainFrm::FormShow() {
    Timer1->SetEnabled(true);
    TBoardId id;
    {
        TZelkLock lock(connection_->StateLock);
        id = connection_->StatusCopy.BoardId();
    }
    InfoPan->setText(InfoLine(id, connection_->GetFirmwareVersion()));
}

QString TMainFrm::InfoLine(const TBoardId& id, uint32_t firmwareVersion) {
    // Only the product word is translated.
    return "   " + _("Pylox") + ": " + QString::fromStdString(FormatBoardId(id)) +
           "        Firmware: " + QString::fromStdString(FormatVersion(firmwareVersion));
}

void TMainFrm::FormClose() {
    Timer1->SetEnabled(false);
}

void TMainFrm::WriteConfigToBoard() {
    if (!connection_->WriteConfig() || !connection_->CommitConfig())
        ShowErrorBox(_("Errore nella memorizzazione della configurazione"));
}

void TMainFrm::BitBtn2Click() {
    TPyloxConfig config;
    {
        TZelkLock lock(connection_->StateLock);
        config = connection_->ConfigCopy;
    }
    if (!ConfigFrm->Execute(connection_.get(), config))
        return;
    {
        TZelkLock lock(connection_->StateLock);
        connection_->ConfigCopy = config;
    }
    WriteConfigToBoard();
}

void TMainFrm::PasswordBtnClick() {
    std::string password;
    {
        TZelkLock lock(connection_->StateLock);
        password = connection_->ConfigCopy.GetPassword();
    }
    if (!GetPasswordFrm->Execute(password, 6, 3))
        return;
    {
        TZelkLock lock(connection_->StateLock);
        connection_->ConfigCopy.SetPassword(password);
    }
    WriteConfigToBoard();
}
