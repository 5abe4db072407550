// The options window: the language of the user interface, the serial port and the
// password of the logged-on PC user. Beside it, the stored language choice: the
// registry value "Language" under HKEY_CURRENT_USER "\SOFTWARE\Orvex\Config\Pylox V2".
#pragma once

#include "localization/Zelklocalize.h"
#include "platform/Controls.h"
#include "platform/Form.h"

#include <string>

class QPushButton;
struct TPcConfig;

class TOpzioniFrm : public TForm {
    Q_OBJECT
public:
    TOpzioniFrm();

    // Edits the settings in place and saves them when the window closes, whatever
    // was done in it; without settings, returns at once.
    void Execute(TPcConfig* pcConfig);

    TRadioGroup* LangRg;
    QPushButton *OpzioniSerialeBtn, *CambiaPasswordBtn, *BitBtn1;

private:
    void LangRgClick();
    void OpzioniSerialeBtnClick();
    void CambiaPasswordBtnClick();

    TPcConfig* FPcConfig = nullptr;
    // Set while code fills or selects the language list, or applies a choice.
    bool FLangUpdating = false;
    // The rows of the language table that the items of LangRg stand for.
    TLanguageList FLanguages;
};

extern TOpzioniFrm* OpzioniFrm;

// The stored language code, or an empty text when none is stored. A value of
// another type than text reads as empty and is replaced by an empty text. The
// key is created when missing.
std::string ReadLanguage();
// Stores the language code; a failure is not reported.
void WriteLanguage(const std::string& code);
