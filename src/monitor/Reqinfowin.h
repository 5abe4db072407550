// The wait dialog: shown while a fresh connection comes up; closes itself with OK
// at the first check after the first status arrived, with Cancel once the
// connection thread has given up.
#pragma once

#include "platform/Controls.h"
#include "platform/Form.h"

class QLabel;
class TPylox;

class TReqSuInfoFrm : public TForm {
    Q_OBJECT
public:
    TReqSuInfoFrm();

    // True when the link came up, false when the thread failed.
    bool Execute(TPylox* connection);

    QLabel* Label1;
    TTimer* Timer;

protected:
    void FormClose() override;

private:
    void TimerTimer();

    TPylox* Connection = nullptr;
};

extern TReqSuInfoFrm* ReqSuInfoFrm;
