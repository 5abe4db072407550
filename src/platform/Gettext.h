// Translation of the program's texts through GNU gettext catalogues (.mo files).
//
// The Italian texts are the message identifiers. Catalogues lie in
// <folder>/<code>/LC_MESSAGES/<domain>.mo for each catalogue folder (see
// CatalogueFolders); the domain "default" holds the program's texts, "quil" the
// translations of Qt's own texts (dialog buttons, message box and file dialog
// texts). While no catalogue is loaded, every text comes back unchanged.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <stdexcept>

// Translation of msgid in the domain "default"; msgid itself when there is none.
QString _(const QString& msgid);
QString _(const char* msgid);

// Marks a window design text for the catalogue extraction (scripts/extract-messages)
// without translating it: the window translation does that once the window exists.
// Use it for design texts that are not passed literally to a Qt text setter
// (setText, setWindowTitle, setTitle, setToolTip, setStatusTip), e.g. item lists:
//     Tipo1Rg->setItems({N_("Normale"), N_("Pioggia")});
constexpr const char* N_(const char* msgid) {
    return msgid;
}

// Translation of msgid in the given domain; msgid itself when there is none.
QString DGettext(const QString& domain, const QString& msgid);

// Raised by RetranslateComponent for a component that was never translated.
class ETranslationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes code the current language of every domain and loads its catalogues. The
// catalogue of the full code is looked for first, then that of its first two
// letters ("de_AT", then "de"). An empty code takes the language of the
// environment: LC_ALL, else LC_MESSAGES, else LANG, else "C". Anything from a "."
// on is cut off ("it_IT.UTF-8" is "it_IT").
// A catalogue whose header does not declare charset=UTF-8 is closed, translation
// stays off for its domain, and the "Localization problem" box says so.
void UseLanguage(const QString& code);
// The current language as UseLanguage resolved it (empty before the first call).
QString GetCurrentLanguage();

// Adds a domain to those searched for Qt's own texts, after "default" and the ones
// added before; a domain already in the list is not added again. The first call
// installs the translator that answers Qt's texts.
void AddDomainForResourceString(const QString& domain);
// "default" followed by the added domains.
QStringList ResourceStringDomains();

// The window translation never touches objects of this class or of a class derived
// from it (className as Qt's meta-object system spells it, e.g. "QStyle").
void TP_GlobalIgnoreClass(const char* className);
// ... nor the named property (any letter case) of objects of this class or of a
// class derived from it.
void TP_GlobalIgnoreClassProperty(const char* className, const QString& propertyName);

// Translates the text properties of component and of every object below it in
// the QObject tree (captions, titles, texts, hints, tool tips, status tips,
// placeholders, string lists such as a radio group's items), and records for each
// property the untranslated text it held; empty properties are not recorded. Not
// touched: object names, properties of Qt's that are not texts (style sheets,
// input masks, formats, rich-text contents), the ignore lists above, Qt's internal
// objects (object names beginning with "qt_"), the standard buttons of a
// QDialogButtonBox and the contents of the dialogs Qt builds (file dialog, message
// box, input dialog...), which Qt itself
// re-translates through the translator.
// An empty domain means "default"; a text that "default" does not translate is
// looked up in the domains of Qt's texts (AddDomainForResourceString), since
// windows also carry Qt's own texts (a close button's "&Close"). A radio group's
// items are renamed in place, so that its selection stays. A component translated
// before is re-translated.
void TranslateComponent(QObject* component, const QString& domain = {});
// When the current language differs from the one component was last translated
// to, sets every recorded property to the translation of its recorded text in the
// domain (empty: "default"), whatever the property holds meanwhile.
// Throws ETranslationError when component was never translated.
void RetranslateComponent(QObject* component, const QString& domain = {});

// The untranslated texts recorded for a translated component, each item of a
// string list on its own, in the order they were found (for the catalogue
// extraction and for checks that a catalogue translates every window text).
QStringList RecordedTexts(const QObject* component);

// The languages with a catalogue of the domain: the lower-cased names of the
// sub-folders of every catalogue folder that hold LC_MESSAGES/<domain>.mo, each
// once, folder by folder in alphabetical order.
QStringList GetListOfLanguages(const QString& domain);

// Where catalogues are looked for, in this order: "locale" next to the executable,
// then the installed data folder's "locale". Tests point this at their own folders.
QStringList CatalogueFolders();
void SetCatalogueFolders(const QStringList& folders);
