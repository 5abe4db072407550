#include "passwords/Inputpasswordwin.h"

#include "platform/Ansi.h"
#include "platform/Controls.h"

#include <QLineEdit>

TInputPasswordFrm* InputPasswordFrm = nullptr;

TInputPasswordFrm::TInputPasswordFrm() {
    setObjectName("InputPasswordFrm");
    SetDesign("Password", 202, 97, TBorderStyle::Dialog, false, TPosition::OwnerFormCenter);
    Psw = Place(MakePasswordEdit(this), "Psw", 16, 16, 170, 25);
    BitBtn1 = Place(MakeButton(this, this, TButtonKind::Ok), "BitBtn1", 63, 58, 75, 27);
    setTabOrder(Psw, BitBtn1);
}

void TInputPasswordFrm::Execute(std::string& password) {
    Psw->clear();
    ShowModal();
    password = ToAnsi(Psw->text());
}

void TInputPasswordFrm::FormShow() {
    Psw->setFocus();
}
