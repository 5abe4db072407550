#include "monitor/Reqinfowin.h"

#include "link/Tpylox.h"

#include <QFont>
#include <QLabel>

TReqSuInfoFrm* ReqSuInfoFrm = nullptr;

TReqSuInfoFrm::TReqSuInfoFrm() {
    setObjectName("ReqSuInfoFrm");
    SetDesign("ReqSuInfoFrm", 286, 70, TBorderStyle::None, false, TPosition::OwnerFormCenter);
    setCursor(Qt::WaitCursor);

    Label1 = Place(new QLabel("Attendere prego..", this), "Label1", 0, 0, 286, 70);
    Label1->setAlignment(Qt::AlignCenter);
    QFont font(QStringList{"Arial", "Liberation Sans"});
    font.setPixelSize(21);
    font.setBold(true);
    font.setItalic(true);
    Label1->setFont(font);

    Timer = new TTimer(this);
    Timer->setObjectName("Timer");
    Timer->SetInterval(100);
    Timer->OnTimer = [this] { TimerTimer(); };
}

bool TReqSuInfoFrm::Execute(TPylox* connection) {
    Connection = connection;
    Timer->SetEnabled(true);
    const int result = ShowModal();
    Connection = nullptr;
    return result == mrOk;
}

void TReqSuInfoFrm::TimerTimer() {
    Timer->SetEnabled(false);
    if (!Connection) {
        SetModalResult(mrCancel);
        return;
    }
    int result = mrNone;
    if (Connection->HasFailed())
        result = mrCancel;
    if (Connection->IsLinkUp())
        result = mrOk; // OK wins when both hold in one tick
    Timer->SetEnabled(true);
    if (result != mrNone)
        SetModalResult(result);
}

void TReqSuInfoFrm::FormClose() {
    Timer->SetEnabled(false);
}
