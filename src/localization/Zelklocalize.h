// The translation layer: the stored language at start-up, the translation of
// every window once they exist and again after a change of language, and the list
// of installed languages with their names.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <array>
#include <string>

class TApplication;

struct TLanguageName {
    const char* code; // ISO 639-1, or language, "_" and upper-case region
    const char* name; // English name; also the message identifier of its translation
};

constexpr int LanguageNameCount = 193;
extern const std::array<TLanguageName, LanguageNameCount> LanguageNames;

// A language list: the texts shown (the items of the options window's language
// radio group) and, for each entry, the row of LanguageNames it stands for.
struct TLanguageList {
    static constexpr int NoRow = -1;
    QStringList Strings;
    QList<int> Objects; // NoRow for an entry that stands for no row
};

// Selects the stored language (the environment's when none is stored) and adds
// the domain of Qt's texts.
void ApplyStoredLanguage();
// ApplyStoredLanguage, then registers the classes and properties never translated.
void InitTranslation();
// Translates every form of the application object (once, at start-up).
void TranslateAllForms();
// Selects the stored language again and re-translates every form.
void RetranslateAllForms();

// The walks: every component of the owner whose class derives directly from TForm
// is translated (re-translated), and every component that has components of its
// own is walked in turn. An exception ends the walk of that level silently.
void TranslateForms(TApplication* owner);
void TranslateForms(QObject* owner);
void RetranslateForms(TApplication* owner);
void RetranslateForms(QObject* owner);

// Fills the list with the installed languages of the domain "default", each named
// by the translation of its English name, in the order the catalogue folders are
// reported. Filling stops at the first folder whose name is no code of the table:
// that entry and all later ones keep the folder name and stand for no row.
void FillLanguageList(TLanguageList& list);
// The first position whose row has the code (exact comparison), or -1.
int IndexOfLanguage(const TLanguageList& list, const std::string& code);
// The code of the row the entry at position stands for; empty when it stands for
// none or there is no such entry.
std::string LanguageCodeOfItem(const TLanguageList& list, int position);
// The first row with exactly this code (letter case counts), or -1.
int FindLanguage(const std::string& code);
