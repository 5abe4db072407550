#include "config/Hintlevelswin.h"

#include "link/Tpyloxdata.h"
#include "platform/Controls.h"

#include <QListWidget>

#include <array>

THintLevelsFrm* HintLevelsFrm = nullptr;

namespace {

struct CauseRow {
    const char* text;
    TCause cause;
};

// List order is meaningful: the index chooses the row.
const std::array<CauseRow, 9> kCauses{{
    {"Preallarme", {5, stAllarme}},
    {"Taglio sporadico", {7, stAllarme}},
    {"Allarme intrusione", {10, stAllarme}},
    {"Manomissione Orvex Net", {2, stTamper}},
    {"Taglio cavi", {13, stTamper}},
    {"Tamper", {14, stTamper}},
    {"Mancanza rete", {3, stGuasto}},
    {"Accensione", {5, stGuasto}},
    {"Batteria bassa", {6, stGuasto}},
}};

} // namespace

THintLevelsFrm::THintLevelsFrm() {
    setObjectName("HintLevelsFrm");
    SetDesign("Cause di segnalazione", 191, 172, TBorderStyle::Dialog, false,
              TPosition::OwnerFormCenter);
    LevLb = Place(new QListWidget(this), "LevLb", 8, 8, 177, 129);
    LevLb->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const auto& row : kCauses)
        LevLb->addItem(row.text);
    OkBtn = Place(MakeButton(this, this, TButtonKind::Ok), "OkBtn", 14, 142, 75, 25);
    CancelBtn = Place(MakeButton(this, this, TButtonKind::Cancel), "CancelBtn", 102, 142, 75, 25);
    SetCancelButton(CancelBtn);
}

std::optional<TCause> THintLevelsFrm::Execute() {
    LevLb->clearSelection();
    LevLb->setCurrentRow(-1);
    if (ShowModal() != mrOk)
        return std::nullopt;
    const auto selected = LevLb->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = LevLb->row(selected.front());
    if (row < 0 || row >= static_cast<int>(kCauses.size()))
        return std::nullopt;
    return kCauses[static_cast<std::size_t>(row)].cause;
}
