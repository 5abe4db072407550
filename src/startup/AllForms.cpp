#include "startup/AllForms.h"

#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "monitor/Aboutwin.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Application.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "startup/Identificazioneutentewin.h"
#include "startup/Startwin.h"

void CreateAllForms(TApplication& application) {
    StartFrm = application.CreateForm<TStartFrm>();
    AboutFrm = application.CreateForm<TAboutFrm>();
    ConfigFrm = application.CreateForm<TConfigFrm>();
    GetPasswordFrm = application.CreateForm<TGetPasswordFrm>();
    HintLevelsFrm = application.CreateForm<THintLevelsFrm>();
    LogonFrm = application.CreateForm<TLogonFrm>();
    InputPasswordFrm = application.CreateForm<TInputPasswordFrm>();
    MainFrm = application.CreateForm<TMainFrm>();
    OpzioniFrm = application.CreateForm<TOpzioniFrm>();
    OpzioniSerialeFrm = application.CreateForm<TOpzioniSerialeFrm>();
    ReqSuInfoFrm = application.CreateForm<TReqSuInfoFrm>();
}
