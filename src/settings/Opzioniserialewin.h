// The serial port dialog: the serial ports of the machine, each with its friendly
// name; the checked one becomes the port of serial connections.
#pragma once

#include "platform/Controls.h"
#include "platform/Form.h"

class QPushButton;
struct TPcConfig;

class TOpzioniSerialeFrm : public TForm {
    Q_OBJECT
public:
    TOpzioniSerialeFrm();

    // Lists the ports anew, checks the line of CommPort and shows the dialog; however
    // it is closed, a checked line sets CommPort to its number. An unreadable port
    // line raises the conversion error of ParseComPort, CommPort then unchanged.
    // Always true.
    bool Execute(TPcConfig& config);

    TRadioGroup* CommRG;
    QPushButton* BitBtn1;
};

extern TOpzioniSerialeFrm* OpzioniSerialeFrm;
