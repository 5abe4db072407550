#include "config/Configwin.h"

#include "config/Hintlevelswin.h"
#include "link/Tpylox.h"
#include "platform/Gettext.h"
#include "settings/Ut.h"

#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

TConfigFrm* ConfigFrm = nullptr;

namespace {

constexpr uint8_t kFileMark[4] = {0x1A, 0x01, 0x4C, 0x1A};
constexpr qint64 kFileSize = 4 + kConfigSize;
constexpr int kNC = 0; // polarity items
constexpr int kNO = 1;

std::string Numbered(const char* stem, int input, const char* suffix) {
    return stem + std::to_string(input + 1) + suffix;
}

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, bool save) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ReadOnly, false);
    dialog->setNameFilters({"Config file (*.cfg)", "All files (*)"});
    dialog->setDefaultSuffix("cfg");
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Saving asks before replacing a file; opening takes only an existing file.
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    return dialog;
}

} // namespace

bool SaveConfigFile(const QString& path, const TPyloxConfig& config) {
    // Written aside and renamed over the old file only when all 78 bytes are
    // written and flushed, so that a failed save leaves the old file intact.
    const std::string target = QFile::encodeName(path).toStdString();
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    uint8_t bytes[kFileSize];
    std::memcpy(bytes, kFileMark, 4);
    std::memcpy(bytes + 4, config.Bytes(), kConfigSize);
    std::size_t written = 0;
    while (written < sizeof(bytes)) {
        const ssize_t n = ::write(fd, bytes + written, sizeof(bytes) - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += static_cast<std::size_t>(n);
    }
    const bool complete = written == sizeof(bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !complete || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool LoadConfigFile(const QString& path, TPyloxConfig& config) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kFileSize);
    if (bytes.size() < kFileSize || std::memcmp(bytes.constData(), kFileMark, 4) != 0)
        return false;
    std::memcpy(config.Bytes(), bytes.constData() + 4, kConfigSize);
    return true;
}

TConfigFrm::TConfigFrm() {
    setObjectName("ConfigFrm");
    SetDesign("Configurazione", 426, 470, TBorderStyle::Dialog, true, TPosition::OwnerFormCenter);
    const QPoint origins[4] = {{8, 8}, {216, 8}, {8, 224}, {216, 224}};
    for (int n = 0; n < 4; ++n) {
        const std::string digit = std::to_string(n + 1);
        GroupBox[n] =
            Place(new QGroupBox(QString::fromStdString("Ingresso digitale " + digit), this),
                  Numbered("GroupBox", n, "").c_str(), origins[n].x(), origins[n].y(), 201, 209);
        QGroupBox* box = GroupBox[n];

        TipoRg[n] = Place(new TRadioGroup(box), Numbered("Tipo", n, "Rg").c_str(), 8, 18, 185, 96);
        TipoRg[n]->setTitle(" Tipo segnalazione ");
        TipoRg[n]->SetColumns(2);
        TipoRg[n]->SetItems({"I/O", "Allarme", "Tamper", "Guasto", "ATM Pioggia", "ATM Vento"});
        TipoRg[n]->SetItemIndex(0);
        TipoRg[n]->OnClick = [this, n] { TipoRgClick(n); };

        PolRg[n] = Place(new TRadioGroup(box), Numbered("Pol", n, "Rg").c_str(), 8, 118, 185, 46);
        PolRg[n]->setTitle(n < 2 ? "Polarita' segnale" : "Polarita'");
        PolRg[n]->SetColumns(2);
        PolRg[n]->SetItems({"NC", "NO"});
        PolRg[n]->setEnabled(false);

        Label[n] = Place(new QLabel("Livello segnalazione:", box), Numbered("Label", n, "").c_str(),
                         4, 174, 118, 24);
        Label[n]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        LivelloSb[n] =
            Place(new TSpinEdit(box), Numbered("Livello", n, "Sb").c_str(), 126, 174, 42, 24);
        LivelloSb[n]->SetBounds(1, 15);
        LivelloSb[n]->SetValue(1);
        LivelloSb[n]->setEnabled(false);
        Label[n]->setBuddy(LivelloSb[n]);
        HintBtn[n] = Place(MakeButton(this, box, TButtonKind::Custom, "..."),
                           Numbered("Hint", n, "Btn").c_str(), 171, 174, 24, 24);
        connect(HintBtn[n], &QPushButton::clicked, this, [this, n] { HintBtnClick(n); });
    }
    CloseBtn = Place(MakeButton(this, this, TButtonKind::Ok), "CloseBtn", 8, 438, 97, 25);
    SaveBtn =
        Place(MakeButton(this, this, TButtonKind::Custom, "&Save"), "SaveBtn", 113, 438, 97, 25);
    LoadBtn =
        Place(MakeButton(this, this, TButtonKind::Custom, "&Load"), "LoadBtn", 216, 438, 97, 25);
    CancelBtn = Place(MakeButton(this, this, TButtonKind::Cancel), "CancelBtn", 321, 438, 97, 25);
    SetCancelButton(CancelBtn);
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(LoadBtn, &QPushButton::clicked, this, [this] { LoadBtnClick(); });

    SaveDialog = MakeFileDialog(this, "SaveDialog", true);
    OpenDialog = MakeFileDialog(this, "OpenDialog", false);
}

bool TConfigFrm::Execute(TPylox* connection, TPyloxConfig& record) {
    Connection = connection;
    Config = &record;
    LoadControls();
    const bool ok = ShowModal() == mrOk;
    if (ok)
        StoreControls();
    Connection = nullptr;
    Config = nullptr;
    return ok;
}

void TConfigFrm::LoadControls() {
    for (int n = 0; n < 4; ++n) {
        const uint8_t type = Config->Inputs[n].Type;
        PrevType[n] = type;
        TipoRg[n]->SetItemIndex(type > stAtmVento ? int{stAtmVento} : int{type});
    }
    for (int n = 0; n < 4; ++n) {
        const int level = Config->Inputs[n].Level;
        LivelloSb[n]->SetValue(level < 1 ? 1 : (level > 15 ? 15 : level));
    }
    // Last, so that the record's polarity shows although the type rules reset it.
    for (int n = 0; n < 4; ++n)
        PolRg[n]->SetItemIndex(Config->Inputs[n].IsNC() ? kNC : kNO);
}

void TConfigFrm::StoreControls() {
    for (int n = 0; n < 4; ++n) {
        TInputConfig& input = Config->Inputs[n];
        input.Type = static_cast<uint8_t>(TipoRg[n]->ItemIndex());
        input.Level = static_cast<uint8_t>(LivelloSb[n]->Value());
        input.SetNC(PolRg[n]->ItemIndex() == kNC);
    }
}

void TConfigFrm::TipoRgClick(int n) {
    int t = TipoRg[n]->ItemIndex();
    int rain = 0, wind = 0;
    for (const TRadioGroup* group : TipoRg) {
        rain += group->ItemIndex() == stAtmPioggia;
        wind += group->ItemIndex() == stAtmVento;
    }
    // At most one input may be a rain sensor and one a wind sensor.
    if (rain >= 2 || wind >= 2) {
        TipoRg[n]->SetItemIndex(PrevType[n]);
        return;
    }
    const bool atm = t == stAtmPioggia || t == stAtmVento;
    if (Connection && atm && Connection->GetFirmwareVersion() < kFirmwareWithAtmTypes) {
        TipoRg[n]->SetItemIndex(stIO);
        t = stIO;
    }
    const bool signalling = t >= stAllarme && t <= stGuasto;
    PolRg[n]->setEnabled(signalling);
    PolRg[n]->SetItemIndex(t == stAtmPioggia || t == stAtmVento ? kNO : kNC);
    LivelloSb[n]->setEnabled(signalling);
    PrevType[n] = t;
}

void TConfigFrm::HintBtnClick(int n) {
    const std::optional<TCause> cause = HintLevelsFrm->Execute();
    if (!cause)
        return;
    LivelloSb[n]->SetValue(cause->Level);
    TipoRg[n]->SetItemIndex(cause->Type);
}

void TConfigFrm::SaveBtnClick() {
    StoreControls();
    if (SaveDialog->exec() != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return;
    if (!SaveConfigFile(SaveDialog->selectedFiles().front(), *Config))
        ShowErrorBox(_("Errore nella scrittura del file"));
}

void TConfigFrm::LoadBtnClick() {
    if (OpenDialog->exec() != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty())
        return;
    if (!LoadConfigFile(OpenDialog->selectedFiles().front(), *Config))
        ShowErrorBox(_("Errore nella lettura del file"));
    LoadControls();
}
