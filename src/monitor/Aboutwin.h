// The About window: product, version, company and copyright from the program's
// version table, the application icon, the maker's logo and the board's firmware.
#pragma once

#include "platform/Form.h"

#include <cstdint>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

// The named text of the running program's version table, in the first language and
// code page of its translation table; empty when the table or the value is missing.
std::string GetVersionValue(const std::string& name);

class TAboutFrm : public TForm {
    Q_OBJECT
public:
    TAboutFrm();

    void FormCreate() override;
    // Shows the window for a board with this firmware version word (0: none) and
    // returns how it was closed.
    int Execute(uint32_t firmwareVersion);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Image3;
    QLabel* CompanyName;
    QLabel* Label2;
    QPushButton* OKButton;
    QLabel* FirmwareLb;

private:
    void UpdateVersionLabels();
};

extern TAboutFrm* AboutFrm;
