// The configuration window: signal type, polarity and level of the four digital
// inputs, the cause dialog, and configuration files.
#pragma once

#include "link/Tpyloxdata.h"
#include "platform/Controls.h"
#include "platform/Form.h"

#include <array>

class QFileDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class TPylox;

class TConfigFrm : public TForm {
    Q_OBJECT
public:
    TConfigFrm();

    // Edits the record in place; true when closed with OK (the record then holds
    // the edited values). Saving or loading a file changes the record whatever
    // button closes the window.
    bool Execute(TPylox* connection, TPyloxConfig& record);

    std::array<QGroupBox*, 4> GroupBox{};
    std::array<TRadioGroup*, 4> PolRg{};
    std::array<TRadioGroup*, 4> TipoRg{};
    std::array<QLabel*, 4> Label{};
    std::array<TSpinEdit*, 4> LivelloSb{};
    std::array<QPushButton*, 4> HintBtn{};
    QPushButton *CloseBtn, *SaveBtn, *LoadBtn, *CancelBtn;
    QFileDialog *SaveDialog, *OpenDialog;

private:
    void LoadControls();
    void StoreControls();
    void TipoRgClick(int input);
    void HintBtnClick(int input);
    void SaveBtnClick();
    void LoadBtnClick();

    TPylox* Connection = nullptr;
    TPyloxConfig* Config = nullptr;
    std::array<int, 4> PrevType{};
};

extern TConfigFrm* ConfigFrm;

// The configuration file: the mark 1A 01 4C 1A and the 74 record bytes.
bool SaveConfigFile(const QString& path, const TPyloxConfig& config);
// False, and the record untouched, for a file that cannot be read, has another
// mark or is shorter than 78 bytes; a longer file is read up to byte 77.
bool LoadConfigFile(const QString& path, TPyloxConfig& config);
