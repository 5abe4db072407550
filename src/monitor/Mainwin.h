// The monitoring window: runs one connection and shows the board live in lamps,
// with the link lamp and the information line; from it the configuration and the
// board password are written back to the board.
#pragma once

#include "link/Tpyloxdata.h"
#include "platform/Controls.h"
#include "platform/Form.h"

#include <orvexlink.h>

#include <cstdint>
#include <memory>
#include <string>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class TPylox;

class TMainFrm : public TForm {
    Q_OBJECT
public:
    TMainFrm();
    ~TMainFrm() override;

    // Runs a whole connection and returns when it is over; failures are reported here.
    void Connect(const TConnParams& params);

    // The running connection, none between connections.
    TPylox* Connection() const { return connection_.get(); }

    // The information line for a board identity and firmware version word.
    static QString InfoLine(const TBoardId& id, uint32_t firmwareVersion);

    QLabel* InfoPan;
    QFrame* Panel1;
    QLabel* Image2; // the picture, stretched over Panel1; empty unless one is set
    QFrame* Panel2;
    TLed* LinkLed;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *GroupBox4, *GroupBox5, *GroupBox6;
    TLed *Input1Led, *Input2Led, *Input3Led, *Input4Led, *LowBatLed;
    TLed *Allarme1Led, *Tamper1Led, *Cavo1Led, *Allarme2Led, *Tamper2Led, *Cavo2Led;
    TLed *Allarme3Led, *Tamper3Led, *Cavo3Led, *Allarme4Led, *Tamper4Led, *Cavo4Led;
    TLed *Output1Led, *Output2Led;
    QPushButton *BitBtn1, *PasswordBtn, *BitBtn2;
    TTimer* Timer1;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void Timer1Timer();
    void RefreshLamps();
    void BitBtn2Click();
    void PasswordBtnClick();
    // 'R' then 'U'; the message when either fails.
    void WriteConfigToBoard();

    TConnParams Params{};
    std::unique_ptr<TPylox> connection_;
    std::string LoginPassword;
};

extern TMainFrm* MainFrm;
