#include "settings/Opzioni.h"

#include "passwords/Getpasswordwin.h"
#include "platform/Registry.h"
#include "settings/Opzioniserialewin.h"
#include "settings/Pcconfig.h"
#include "startup/ProcessSettings.h"

#include <QPushButton>
#include <QScopeGuard>

TOpzioniFrm* OpzioniFrm = nullptr;

namespace {

const std::string kLanguageKey = "\\SOFTWARE\\Orvex\\Config\\Pylox V2";
const std::string kLanguageValue = "Language";

} // namespace

std::string ReadLanguage() {
    std::string code;
    TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(kLanguageKey, true)) {
        try {
            code = registry.ReadString(kLanguageValue);
        } catch (const ERegistryException&) {
            code.clear();
            WriteLanguage({});
        }
    }
    registry.CloseKey();
    return code;
}

void WriteLanguage(const std::string& code) {
    TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (registry.OpenKey(kLanguageKey, true))
            registry.WriteString(kLanguageValue, code);
    } catch (const ERegistryException&) {
        // The choice is not stored; the language in use does not change.
    }
    registry.CloseKey();
}

TOpzioniFrm::TOpzioniFrm() {
    setObjectName("OpzioniFrm");
    SetDesign("Opzioni", 129, 242, TBorderStyle::Dialog, true, TPosition::OwnerFormCenter);
    LangRg = Place(new TRadioGroup(this), "LangRg", 8, 8, 113, 129);
    LangRg->setTitle("Language ");
    LangRg->OnClick = [this] { LangRgClick(); };
    OpzioniSerialeBtn = Place(MakeButton(this, this, TButtonKind::Custom, "Opzioni Seriale"),
                              "OpzioniSerialeBtn", 8, 145, 113, 25);
    CambiaPasswordBtn = Place(MakeButton(this, this, TButtonKind::Custom, "Cambia Password"),
                              "CambiaPasswordBtn", 8, 176, 113, 25);
    BitBtn1 = Place(MakeButton(this, this, TButtonKind::Close), "BitBtn1", 27, 210, 75, 25);
    OnClicked(OpzioniSerialeBtn, [this] { OpzioniSerialeBtnClick(); });
    OnClicked(CambiaPasswordBtn, [this] { CambiaPasswordBtnClick(); });
    setTabOrder(OpzioniSerialeBtn, CambiaPasswordBtn);
    setTabOrder(CambiaPasswordBtn, BitBtn1);
}

void TOpzioniFrm::Execute(TPcConfig* pcConfig) {
    FPcConfig = pcConfig;
    if (!FPcConfig)
        return;
    FLangUpdating = true;
    LangRg->SetItemIndex(-1);
    FillLanguageList(FLanguages);
    LangRg->SetItems(FLanguages.Strings);
    LangRg->SetItemIndex(IndexOfLanguage(FLanguages, ReadLanguage()));
    FLangUpdating = false;
    ShowModal();
    SavePcConfig(*FPcConfig);
}

void TOpzioniFrm::LangRgClick() {
    if (FLangUpdating)
        return;
    FLangUpdating = true;
    const auto done = qScopeGuard([this] { FLangUpdating = false; });
    WriteLanguage(LanguageCodeOfItem(FLanguages, LangRg->ItemIndex()));
    RetranslateAllForms();
}

void TOpzioniFrm::OpzioniSerialeBtnClick() {
    OpzioniSerialeFrm->Execute(*FPcConfig);
    SavePcConfig(*FPcConfig);
}

void TOpzioniFrm::CambiaPasswordBtnClick() {
    const int user = Globals.LoggedUser;
    if (user < 1 || user > 3)
        return;
    if (!GetPasswordFrm->Execute(Globals.LogonPassword, 10, 3))
        return;
    FPcConfig->Passwords[static_cast<std::size_t>(user - 1)] = Globals.LogonPassword;
    SavePcConfig(*FPcConfig);
}
