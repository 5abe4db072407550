#include "startup/Identificazioneutentewin.h"

#include "platform/Ansi.h"
#include "platform/Controls.h"

#include <QLabel>
#include <QLineEdit>

TLogonFrm* LogonFrm = nullptr;

TLogonFrm::TLogonFrm() {
    setObjectName("LogonFrm");
    SetDesign("Identificazione utente", 239, 122, TBorderStyle::Dialog, false,
              TPosition::ScreenCenter);
    Label2 = Place(new QLabel("Nome Utente:", this), "Label2", 4, 16, 84, 21);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    User = Place(new QLineEdit(this), "User", 94, 16, 129, 21);
    Label1 = Place(new QLabel("Password:", this), "Label1", 4, 48, 84, 21);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Password = Place(MakePasswordEdit(this), "Password", 94, 48, 129, 21);
    Label2->setBuddy(User);
    Label1->setBuddy(Password);
    OkBtn = Place(MakeButton(this, this, TButtonKind::Ok), "OkBtn", 82, 86, 75, 25);
    setTabOrder(User, Password);
    setTabOrder(Password, OkBtn);
}

void TLogonFrm::FormCreate() {
    User->clear();
    Password->clear();
}

void TLogonFrm::FormShow() {
    User->setFocus();
}

void TLogonFrm::Execute(std::string& user, std::string& password) {
    User->clear();
    Password->clear();
    ShowModal();
    user = ToAnsi(User->text());
    password = ToAnsi(Password->text());
}
