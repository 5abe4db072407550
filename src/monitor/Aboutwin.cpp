#include "monitor/Aboutwin.h"

#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/VersionInfo.h"
#include "settings/Ut.h"
#include "startup/Startwin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

#include <cstdio>
#include <optional>

TAboutFrm* AboutFrm = nullptr;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  int width = 0, int height = 13) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font(QStringList{"MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(11);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0x41, 0x41, 0x41));
    label->setPalette(palette);
    label->move(left, top);
    if (width > 0)
        label->resize(width, height);
    else
        label->adjustSize();
    return label;
}

} // namespace

std::string GetVersionValue(const std::string& name) {
    const QByteArray path = QFile::encodeName(TApplication::ExeName());
    const std::optional<TFileVersionInfo> info = TFileVersionInfo::Read(path.toStdString());
    if (!info)
        return {};
    // The first language and code page of the translation table name the strings.
    const std::optional<std::string> translation = info->Query("\\VarFileInfo\\Translation");
    if (!translation || translation->size() < 4)
        return {};
    const auto word = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>((*translation)[at]) |
                                     static_cast<unsigned char>((*translation)[at + 1]) << 8);
    };
    char key[24];
    std::snprintf(key, sizeof(key), "%04X%04X", word(0), word(2));
    return info->Query("StringFileInfo\\" + std::string(key) + "\\" + name).value_or("");
}

TAboutFrm::TAboutFrm() {
    LoadImages();
    setObjectName("AboutFrm");
    SetDesign("About", 277, 194, TBorderStyle::Dialog, true, TPosition::OwnerFormCenter);
    Panel1 = Place(new QFrame(this), "Panel1", 8, 8, 265, 153);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setLineWidth(2);

    ProgramIcon = Place(new QLabel(Panel1), "ProgramIcon", 8, 8, 65, 57);
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProductName = MakeLabel(Panel1, "ProductName", "Product Name", 80, 16, 177, 33);
    ProductName->setWordWrap(true);
    ProductName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Version = MakeLabel(Panel1, "Version", "Version", 200, 48, 57);
    Copyright = MakeLabel(Panel1, "Copyright", "Copyright", 72, 88, 185);
    Image3 = Place(new QLabel(Panel1), "Image3", 6, 112, 75, 30);
    Image3->setPixmap(QPixmap(":/images/logo.png"));
    Image3->adjustSize();
    CompanyName = MakeLabel(Panel1, "CompanyName", "Company", 8, 88, 62);
    Label2 = MakeLabel(Panel1, "Label2", "Sw Pylox version:", 80, 48, 118);
    FirmwareLb = MakeLabel(Panel1, "FirmwareLb", "", 120, 64, 137);
    OKButton = Place(MakeButton(this, this, TButtonKind::Ok), "OKButton", 103, 164, 75, 25);
}

void TAboutFrm::FormCreate() {
    UpdateVersionLabels();
}

void TAboutFrm::UpdateVersionLabels() {
    ProductName->setText(FromAnsi(GetVersionValue("ProductName")));
    Version->setText(FromAnsi(GetVersionValue("FileVersion")));
    Copyright->setText(FromAnsi(GetVersionValue("LegalCopyright")));
    CompanyName->setText(FromAnsi(GetVersionValue("CompanyName")));
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(ProgramIcon->size()));
}

int TAboutFrm::Execute(uint32_t firmwareVersion) {
    UpdateVersionLabels();
    FirmwareLb->setText(firmwareVersion != 0
                            ? QString::fromStdString(FormatVersion(firmwareVersion))
                            : QStringLiteral(" "));
    return ShowModal();
}
