// The password change dialog, for the board password and for the logged-on PC
// user's password: the current password, the new one and the new one again.
#pragma once

#include "platform/Form.h"

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TGetPasswordFrm : public TForm {
    Q_OBJECT
public:
    TGetPasswordFrm();

    // True, and the new password in password, when it was accepted; otherwise
    // false with password unchanged. The bounds count the characters typed.
    bool Execute(std::string& password, int maxLength, int minLength);

    QLabel *Label2, *Label3, *Label4;
    QLineEdit *PasswordEB, *NewPasswordEB, *VerificaEB;
    QPushButton *OKbtn, *CancelBtn;

protected:
    void FormShow() override;
};

extern TGetPasswordFrm* GetPasswordFrm;
