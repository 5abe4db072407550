// The board password prompt, shown before a connection when no board password was
// given on the command line.
#pragma once

#include "platform/Form.h"

#include <string>

class QLineEdit;
class QPushButton;

class TInputPasswordFrm : public TForm {
    Q_OBJECT
public:
    TInputPasswordFrm();

    // Whatever is typed when the dialog closes, however it closes.
    void Execute(std::string& password);

    QLineEdit* Psw;
    QPushButton* BitBtn1;

protected:
    void FormShow() override;
};

extern TInputPasswordFrm* InputPasswordFrm;
