// The logon window: asks for the PC user's name and password when the command line
// did not give both.
#pragma once

#include "platform/Form.h"

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class TLogonFrm : public TForm {
    Q_OBJECT
public:
    TLogonFrm();

    void FormCreate() override;
    // Whatever the two fields hold when the window closes, however it closes.
    void Execute(std::string& user, std::string& password);

    QLabel* Label2;
    QLineEdit* User;
    QLabel* Label1;
    QLineEdit* Password;
    QPushButton* OkBtn;

protected:
    void FormShow() override;
};

extern TLogonFrm* LogonFrm;
