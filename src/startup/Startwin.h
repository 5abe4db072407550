// The start window, the application's main window: owns the PC settings, runs the
// logon check on its first showing and starts connections to the board, built from
// the command line's switches, through the monitoring window.
#pragma once

#include "platform/Form.h"
#include "settings/Pcconfig.h"

#include <orvexlink.h>

#include <cstdint>
#include <string>

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolButton;

// The hidden master logon, outside the PC settings.
extern const std::string MasterUser;
extern const std::string MasterPassword;

// The number of the PC user that the name and password log on: 1 to 3 for the
// first matching entry of the settings, 99 for the master logon, 0 for none.
int32_t CheckLogon(const TPcConfig& config, const std::string& user, const std::string& password);

// Makes the program's pictures available under ":/images/" and gives the
// application its icon (once is enough).
void LoadImages();

class TStartFrm : public TForm {
    Q_OBJECT
public:
    TStartFrm();

    void FormCreate() override;

    QLabel* Image1;
    // Buttons with a glyph.
    QToolButton *CollegaBtn, *OpzioniBtn;
    QPushButton* ChiudiBtn;
    QStatusBar* StatusBar;
    QMenuBar* MainMenu1;
    QAction *Collegaallascheda1, *Exit1, *Opzioni1, *Configurazione1, *Abaut1;

    TPcConfig PcConfig;
    int32_t ShowCount = 0;
    bool FirstActivate = true;
    // Written by each connect, field by field; what a kind does not use stays.
    TConnParams Params{};

    void CollegaBtnClick();
    void OpzioniBtnClick();
    void Configurazione1Click();
    void Abaut1Click();
    void Exit1Click();

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormClose() override;

private:
    // The height of the menu bar above the client area.
    int menuHeight_ = 0;
};

extern TStartFrm* StartFrm;
