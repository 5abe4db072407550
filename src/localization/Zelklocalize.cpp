#include "localization/Zelklocalize.h"

#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Gettext.h"
#include "settings/Opzioni.h"

#include <cstring>
#include <functional>

// Ordered by code, except that "kw" stands before "kv"; each regional row follows
// its base language. "Walloon" names both "fr_BE" and "wa".
const std::array<TLanguageName, LanguageNameCount> LanguageNames = {{
    {"aa", N_("Afar")},
    {"ab", N_("Abkhazian")},
    {"ae", N_("Avestan")},
    {"af", N_("Afrikaans")},
    {"ak", N_("Akan")},
    {"am", N_("Amharic")},
    {"an", N_("Aragonese")},
    {"ar", N_("Arabic")},
    {"as", N_("Assamese")},
    {"av", N_("Avaric")},
    {"ay", N_("Aymara")},
    {"az", N_("Azerbaijani")},
    {"ba", N_("Bashkir")},
    {"be", N_("Belarusian")},
    {"bg", N_("Bulgarian")},
    {"bh", N_("Bihari")},
    {"bi", N_("Bislama")},
    {"bm", N_("Bambara")},
    {"bn", N_("Bengali")},
    {"bo", N_("Tibetan")},
    {"br", N_("Breton")},
    {"bs", N_("Bosnian")},
    {"ca", N_("Catalan")},
    {"ce", N_("Chechen")},
    {"ch", N_("Chamorro")},
    {"co", N_("Corsican")},
    {"cr", N_("Cree")},
    {"cs", N_("Czech")},
    {"cv", N_("Chuvash")},
    {"cy", N_("Welsh")},
    {"da", N_("Danish")},
    {"de", N_("German")},
    {"de_AT", N_("Austrian German")},
    {"de_CH", N_("Swiss German")},
    {"dv", N_("Divehi")},
    {"dz", N_("Dzongkha")},
    {"ee", N_("Ewe")},
    {"el", N_("Greek")},
    {"en", N_("English")},
    {"en_AU", N_("Australian English")},
    {"en_CA", N_("Canadian English")},
    {"en_GB", N_("British English")},
    {"en_US", N_("American English")},
    {"eo", N_("Esperanto")},
    {"es", N_("Spanish")},
    {"et", N_("Estonian")},
    {"eu", N_("Basque")},
    {"fa", N_("Persian")},
    {"ff", N_("Fulah")},
    {"fi", N_("Finnish")},
    {"fj", N_("Fijian")},
    {"fo", N_("Faroese")},
    {"fr", N_("French")},
    {"fr_BE", N_("Walloon")},
    {"fy", N_("Frisian")},
    {"ga", N_("Irish")},
    {"gd", N_("Gaelic")},
    {"gl", N_("Gallegan")},
    {"gn", N_("Guarani")},
    {"gu", N_("Gujarati")},
    {"gv", N_("Manx")},
    {"ha", N_("Hausa")},
    {"he", N_("Hebrew")},
    {"hi", N_("Hindi")},
    {"ho", N_("Hiri Motu")},
    {"hr", N_("Croatian")},
    {"ht", N_("Haitian")},
    {"hu", N_("Hungarian")},
    {"hy", N_("Armenian")},
    {"hz", N_("Herero")},
    {"ia", N_("Interlingua")},
    {"id", N_("Indonesian")},
    {"ie", N_("Interlingue")},
    {"ig", N_("Igbo")},
    {"ii", N_("Sichuan Yi")},
    {"ik", N_("Inupiaq")},
    {"io", N_("Ido")},
    {"is", N_("Icelandic")},
    {"it", N_("Italian")},
    {"iu", N_("Inuktitut")},
    {"ja", N_("Japanese")},
    {"jv", N_("Javanese")},
    {"ka", N_("Georgian")},
    {"kg", N_("Kongo")},
    {"ki", N_("Kikuyu")},
    {"kj", N_("Kuanyama")},
    {"kk", N_("Kazakh")},
    {"kl", N_("Greenlandic")},
    {"km", N_("Khmer")},
    {"kn", N_("Kannada")},
    {"ko", N_("Korean")},
    {"kr", N_("Kanuri")},
    {"ks", N_("Kashmiri")},
    {"ku", N_("Kurdish")},
    {"kw", N_("Cornish")},
    {"kv", N_("Komi")},
    {"ky", N_("Kirghiz")},
    {"la", N_("Latin")},
    {"lb", N_("Luxembourgish")},
    {"lg", N_("Ganda")},
    {"li", N_("Limburgan")},
    {"ln", N_("Lingala")},
    {"lo", N_("Lao")},
    {"lt", N_("Lithuanian")},
    {"lu", N_("Luba-Katanga")},
    {"lv", N_("Latvian")},
    {"mg", N_("Malagasy")},
    {"mh", N_("Marshallese")},
    {"mi", N_("Maori")},
    {"mk", N_("Macedonian")},
    {"ml", N_("Malayalam")},
    {"mn", N_("Mongolian")},
    {"mo", N_("Moldavian")},
    {"mr", N_("Marathi")},
    {"ms", N_("Malay")},
    {"mt", N_("Maltese")},
    {"my", N_("Burmese")},
    {"na", N_("Nauru")},
    {"nb", N_("Norwegian Bokmaal")},
    {"nd", N_("Ndebele, North")},
    {"ne", N_("Nepali")},
    {"ng", N_("Ndonga")},
    {"nl", N_("Dutch")},
    {"nl_BE", N_("Flemish")},
    {"nn", N_("Norwegian Nynorsk")},
    {"no", N_("Norwegian")},
    {"nr", N_("Ndebele, South")},
    {"nv", N_("Navajo")},
    {"ny", N_("Chichewa")},
    {"oc", N_("Occitan")},
    {"oj", N_("Ojibwa")},
    {"om", N_("Oromo")},
    {"or", N_("Oriya")},
    {"os", N_("Ossetian")},
    {"pa", N_("Panjabi")},
    {"pi", N_("Pali")},
    {"pl", N_("Polish")},
    {"ps", N_("Pushto")},
    {"pt", N_("Portuguese")},
    {"pt_BR", N_("Brazilian Portuguese")},
    {"qu", N_("Quechua")},
    {"rm", N_("Raeto-Romance")},
    {"rn", N_("Rundi")},
    {"ro", N_("Romanian")},
    {"ru", N_("Russian")},
    {"rw", N_("Kinyarwanda")},
    {"sa", N_("Sanskrit")},
    {"sc", N_("Sardinian")},
    {"sd", N_("Sindhi")},
    {"se", N_("Northern Sami")},
    {"sg", N_("Sango")},
    {"si", N_("Sinhalese")},
    {"sk", N_("Slovak")},
    {"sl", N_("Slovenian")},
    {"sm", N_("Samoan")},
    {"sn", N_("Shona")},
    {"so", N_("Somali")},
    {"sq", N_("Albanian")},
    {"sr", N_("Serbian")},
    {"ss", N_("Swati")},
    {"st", N_("Sotho, Southern")},
    {"su", N_("Sundanese")},
    {"sv", N_("Swedish")},
    {"sw", N_("Swahili")},
    {"ta", N_("Tamil")},
    {"te", N_("Telugu")},
    {"tg", N_("Tajik")},
    {"th", N_("Thai")},
    {"ti", N_("Tigrinya")},
    {"tk", N_("Turkmen")},
    {"tl", N_("Tagalog")},
    {"tn", N_("Tswana")},
    {"to", N_("Tonga")},
    {"tr", N_("Turkish")},
    {"ts", N_("Tsonga")},
    {"tt", N_("Tatar")},
    {"tw", N_("Twi")},
    {"ty", N_("Tahitian")},
    {"ug", N_("Uighur")},
    {"uk", N_("Ukrainian")},
    {"ur", N_("Urdu")},
    {"uz", N_("Uzbek")},
    {"ve", N_("Venda")},
    {"vi", N_("Vietnamese")},
    {"vo", N_("Volapuk")},
    {"wa", N_("Walloon")},
    {"wo", N_("Wolof")},
    {"xh", N_("Xhosa")},
    {"yi", N_("Yiddish")},
    {"yo", N_("Yoruba")},
    {"za", N_("Zhuang")},
    {"zh", N_("Chinese")},
    {"zu", N_("Zulu")},
}};

namespace {

// Walks the components of one level: those the count and at functions give, by
// position while the position is below the current count.
void WalkLevel(const std::function<qsizetype()>& count,
               const std::function<QObject*(qsizetype)>& at,
               const std::function<void(QObject*)>& translate,
               const std::function<void(QObject*)>& walkOwner) {
    try {
        for (qsizetype i = 0; i < count(); ++i) {
            QObject* component = at(i);
            const QMetaObject* parent = component->metaObject()->superClass();
            // The windows of the program derive directly from the form class.
            if (parent != nullptr && std::strcmp(parent->className(), "TForm") == 0)
                translate(component);
            if (!component->children().isEmpty())
                walkOwner(component);
        }
    } catch (...) {
        // A failed translation ends this level only; the level above goes on.
    }
}

void WalkForms(TApplication* owner, void (*translate)(QObject*, const QString&),
               void (*walkOwner)(QObject*)) {
    if (owner == nullptr)
        return;
    WalkLevel([owner] { return qsizetype(owner->Forms().size()); },
              [owner](qsizetype i) -> QObject* { return owner->Forms()[std::size_t(i)].get(); },
              [translate](QObject* form) { translate(form, {}); }, walkOwner);
}

void WalkComponents(QObject* owner, void (*translate)(QObject*, const QString&),
                    void (*walkOwner)(QObject*)) {
    if (owner == nullptr)
        return;
    WalkLevel([owner] { return owner->children().size(); },
              [owner](qsizetype i) { return owner->children().at(i); },
              [translate](QObject* form) { translate(form, {}); }, walkOwner);
}

} // namespace

void ApplyStoredLanguage() {
    UseLanguage(FromAnsi(ReadLanguage()));
    AddDomainForResourceString(QStringLiteral("quil"));
}

// What is never translated, in Qt's terms:
//   TsSkinProvider, TsSkinManager  -> QStyle: the skin is the application's Qt style
//   TFont                          -> nothing: fonts are no QObjects and hold no texts
//   TAction "Category", TControl "HelpKeyword" and "ImeName", TNotebook "Pages",
//   the "SkinSection" of the skinned controls
//                                  -> nothing: Qt's classes have no such properties
//   TsRichEdit "Lines"             -> the contents of QTextEdit and QPlainTextEdit
//   TsSpinEdit "Text"              -> QAbstractSpinBox "text"
void InitTranslation() {
    ApplyStoredLanguage();
    TP_GlobalIgnoreClass("QStyle");
    TP_GlobalIgnoreClassProperty("QTextEdit", QStringLiteral("plainText"));
    TP_GlobalIgnoreClassProperty("QTextEdit", QStringLiteral("html"));
    TP_GlobalIgnoreClassProperty("QTextEdit", QStringLiteral("markdown"));
    TP_GlobalIgnoreClassProperty("QPlainTextEdit", QStringLiteral("plainText"));
    TP_GlobalIgnoreClassProperty("QAbstractSpinBox", QStringLiteral("text"));
}

void TranslateForms(TApplication* owner) {
    WalkForms(owner, TranslateComponent, TranslateForms);
}

void TranslateForms(QObject* owner) {
    WalkComponents(owner, TranslateComponent, TranslateForms);
}

void RetranslateForms(TApplication* owner) {
    WalkForms(owner, RetranslateComponent, RetranslateForms);
}

void RetranslateForms(QObject* owner) {
    WalkComponents(owner, RetranslateComponent, RetranslateForms);
}

void TranslateAllForms() {
    TranslateForms(Application);
}

void RetranslateAllForms() {
    ApplyStoredLanguage();
    RetranslateForms(Application);
}

void FillLanguageList(TLanguageList& list) {
    list.Strings.clear();
    list.Objects.clear();
    list.Strings = GetListOfLanguages(QStringLiteral("default"));
    for (qsizetype i = 0; i < list.Strings.size(); ++i)
        list.Objects.append(TLanguageList::NoRow);
    for (qsizetype i = 0; i < list.Strings.size(); ++i) {
        const int row = FindLanguage(ToAnsi(list.Strings[i]));
        if (row < 0)
            break;
        list.Objects[i] = row;
        list.Strings[i] = _(LanguageNames[std::size_t(row)].name);
    }
}

int IndexOfLanguage(const TLanguageList& list, const std::string& code) {
    for (qsizetype i = 0; i < list.Objects.size(); ++i) {
        const int row = list.Objects[i];
        if (row >= 0 && row < LanguageNameCount && code == LanguageNames[std::size_t(row)].code)
            return int(i);
    }
    return -1;
}

std::string LanguageCodeOfItem(const TLanguageList& list, int position) {
    if (position < 0 || position >= list.Objects.size())
        return {};
    const int row = list.Objects[position];
    if (row < 0 || row >= LanguageNameCount)
        return {};
    return LanguageNames[std::size_t(row)].code;
}

int FindLanguage(const std::string& code) {
    for (int row = 0; row < LanguageNameCount; ++row)
        if (code == LanguageNames[std::size_t(row)].code)
            return row;
    return -1;
}
