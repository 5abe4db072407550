#include "passwords/Getpasswordwin.h"

#include "platform/Ansi.h"
#include "platform/Controls.h"
#include "platform/Gettext.h"
#include "settings/Ut.h"

#include <QLabel>
#include <QLineEdit>

TGetPasswordFrm* GetPasswordFrm = nullptr;

namespace {

QLabel* RightLabel(QWidget* parent, const char* name, const char* text, int top) {
    auto* label = Place(new QLabel(text, parent), name, 4, top, 104, 21);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TGetPasswordFrm::TGetPasswordFrm() {
    setObjectName("GetPasswordFrm");
    SetDesign("Cambio password", 244, 119, TBorderStyle::Dialog, true, TPosition::MainFormCenter);
    Label2 = RightLabel(this, "Label2", "Password attuale:", 8);
    Label3 = RightLabel(this, "Label3", "Nuova Password:", 36);
    Label4 = RightLabel(this, "Label4", "Verifica:", 64);
    PasswordEB = Place(MakePasswordEdit(this), "PasswordEB", 114, 8, 122, 22);
    NewPasswordEB = Place(MakePasswordEdit(this), "NewPasswordEB", 114, 36, 122, 22);
    VerificaEB = Place(MakePasswordEdit(this), "VerificaEB", 114, 64, 122, 22);
    Label2->setBuddy(PasswordEB);
    Label3->setBuddy(NewPasswordEB);
    Label4->setBuddy(VerificaEB);
    OKbtn = Place(MakeButton(this, this, TButtonKind::Ok, "&OK"), "OKbtn", 40, 90, 75, 25);
    CancelBtn =
        Place(MakeButton(this, this, TButtonKind::Cancel, "&Cancel"), "CancelBtn", 129, 90, 75, 25);
    SetCancelButton(CancelBtn);
    setTabOrder(PasswordEB, NewPasswordEB);
    setTabOrder(NewPasswordEB, VerificaEB);
    setTabOrder(VerificaEB, OKbtn);
    setTabOrder(OKbtn, CancelBtn);
}

void TGetPasswordFrm::FormShow() {
    PasswordEB->setFocus();
}

bool TGetPasswordFrm::Execute(std::string& password, int maxLength, int minLength) {
    VerificaEB->clear();
    PasswordEB->clear();
    NewPasswordEB->clear();
    if (ShowModal() != mrOk)
        return false;
    // Characters as the edit holds them.
    const int n = static_cast<int>(NewPasswordEB->text().toUcs4().size());
    if (n > maxLength) {
        ShowErrorBox(_("Si e' inserita una password troppo lunga") + "\r" + _("sono ammessi max.") +
                     " " + QString::number(maxLength) + " " + _("caratteri") + ".");
        return false;
    }
    if (n < minLength) {
        ShowErrorBox(_("Si e' inserita una password troppo corta") + "\r" + _("sono ammessi min") +
                     " " + QString::number(minLength) + " " + _("caratteri") + ".");
        return false;
    }
    if (ToAnsi(PasswordEB->text()) != password) {
        ShowErrorBox(_("Si e' sbagliato a inserire la password"));
        return false;
    }
    if (VerificaEB->text() != NewPasswordEB->text()) {
        ShowErrorBox(_("Si e' sbagliato a inserire la password nella verifica."));
        return false;
    }
    password = ToAnsi(NewPasswordEB->text());
    return true;
}
