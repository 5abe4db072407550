#include "settings/Opzioniserialewin.h"

#include "platform/Ansi.h"
#include "settings/Pcconfig.h"
#include "settings/Ut.h"

TOpzioniSerialeFrm* OpzioniSerialeFrm = nullptr;

TOpzioniSerialeFrm::TOpzioniSerialeFrm() {
    setObjectName("OpzioniSerialeFrm");
    SetDesign("Opzioni", 307, 224, TBorderStyle::Dialog, true, TPosition::MainFormCenter);
    CommRG = Place(new TRadioGroup(this), "CommRG", 8, 8, 291, 177);
    CommRG->setTitle("Comm");
    CommRG->SetColumns(1);
    BitBtn1 = Place(MakeButton(this, this, TButtonKind::Ok), "BitBtn1", 116, 192, 75, 25);
    setTabOrder(CommRG, BitBtn1);
}

bool TOpzioniSerialeFrm::Execute(TPcConfig& config) {
    CommRG->SetItemIndex(-1);
    // One item per line; the line end after the last port makes no item.
    QStringList lines = FromAnsi(ListSerialPorts()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    CommRG->SetItems(lines);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (ParseComPort(ToAnsi(lines[i])) == config.CommPort) {
            CommRG->SetItemIndex(static_cast<int>(i));
            break;
        }
    }
    ShowModal();
    if (const int checked = CommRG->ItemIndex(); checked >= 0)
        config.CommPort = ParseComPort(ToAnsi(CommRG->Items().at(checked)));
    return true;
}
