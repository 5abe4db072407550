#include "platform/Gettext.h"

#include "platform/Controls.h"
#include "platform/MoFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaProperty>
#include <QPointer>
#include <QThread>
#include <QTranslator>

#include <cstdio>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

const QString kDefaultDomain = QStringLiteral("default");

// Properties of Qt's own classes that hold strings but are not texts for the user.
struct ClassProperty {
    const char* className;
    const char* property;
};
constexpr ClassProperty kQtNonTextProperties[] = {
    {"QObject", "objectName"},  {"QWidget", "styleSheet"},          {"QWidget", "windowFilePath"},
    {"QLineEdit", "inputMask"}, {"QDateTimeEdit", "displayFormat"}, {"QTextEdit", "html"},
    {"QTextEdit", "plainText"}, {"QTextEdit", "markdown"},          {"QPlainTextEdit", "plainText"},
    {"QProgressBar", "format"}, {"QComboBox", "currentText"},
};

// One translated property of one object, with the text it held untranslated.
struct RecordedProperty {
    QPointer<QObject> object;
    QByteArray property;
    QVariant untranslated;
};

struct ComponentRecord {
    QString language;
    std::vector<RecordedProperty> properties;
};

class TBuiltInTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};

struct State {
    bool languageSet = false;
    QString language;
    // Catalogues of the current language by domain; nothing where a domain has none.
    std::map<QString, std::optional<TMoFile>> catalogues;
    QStringList resourceDomains{kDefaultDomain};
    std::vector<QByteArray> ignoredClasses;
    std::vector<std::pair<QByteArray, QString>> ignoredProperties;
    std::optional<QStringList> folders;
    std::unordered_map<const QObject*, ComponentRecord> records;
    QPointer<TBuiltInTranslator> translator;
};

State& Global() {
    static State state;
    return state;
}

QString DomainOrDefault(const QString& domain) {
    return domain.isEmpty() ? kDefaultDomain : domain;
}

void ShowCharsetProblem(const QString& code, const QString& path) {
    const QString text = QStringLiteral("The translation for the language code ") + code +
                         QStringLiteral(" (in ") + path +
                         QStringLiteral(") does not have charset=utf-8 in its Content-Type. "
                                        "Translations are turned off.");
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        std::fprintf(stderr, "Localization problem: %s\n", text.toLocal8Bit().constData());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Localization problem"), text,
                    QMessageBox::Ok);
    box.exec();
}

// The catalogue of domain for the current language: the full code first, then its
// first two letters, each in every catalogue folder in turn.
std::optional<TMoFile> LoadCatalogue(const QString& domain) {
    State& state = Global();
    QStringList codes{state.language};
    if (state.language.size() > 2)
        codes.append(state.language.left(2));
    for (const QString& code : codes) {
        for (const QString& folder : CatalogueFolders()) {
            const QString path =
                folder + u'/' + code + QStringLiteral("/LC_MESSAGES/") + domain + ".mo";
            if (!QFileInfo(path).isFile())
                continue;
            std::optional<TMoFile> file = TMoFile::Load(path);
            if (file && !file->IsUtf8()) {
                // Recorded as closed before the box runs its own event loop, in which
                // Qt asks the translator for the box's button text.
                state.catalogues[domain] = std::nullopt;
                ShowCharsetProblem(state.language, path);
                return std::nullopt;
            }
            return file;
        }
    }
    return std::nullopt;
}

const TMoFile* Catalogue(const QString& domain) {
    State& state = Global();
    if (!state.languageSet)
        return nullptr;
    auto found = state.catalogues.find(domain);
    if (found == state.catalogues.end()) {
        std::optional<TMoFile> file = LoadCatalogue(domain);
        found = state.catalogues.insert_or_assign(domain, std::move(file)).first;
    }
    return found->second ? &*found->second : nullptr;
}

std::optional<QString> Lookup(const QString& domain, const QByteArray& msgid) {
    if (msgid.isEmpty())
        return std::nullopt;
    if (const TMoFile* file = Catalogue(domain))
        if (const std::optional<QByteArray> translation = file->Find(msgid))
            return QString::fromUtf8(*translation);
    return std::nullopt;
}

QString TBuiltInTranslator::translate(const char*, const char* sourceText, const char*, int) const {
    // Qt's texts are answered for the user-interface thread only; the catalogues
    // are not shared with other threads.
    if (sourceText == nullptr || QThread::currentThread() != thread())
        return {};
    const QByteArray msgid(sourceText);
    for (const QString& domain : Global().resourceDomains)
        if (const std::optional<QString> translation = Lookup(domain, msgid))
            return *translation;
    return {};
}

// Installs the translator of Qt's texts, or installs it again after a change of
// language so that Qt's own widgets re-translate their texts.
void InstallTranslator() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread())
        return;
    State& state = Global();
    if (state.translator)
        QCoreApplication::removeTranslator(state.translator);
    else
        state.translator = new TBuiltInTranslator(app);
    QCoreApplication::installTranslator(state.translator);
}

QString EnvironmentLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

bool IsIgnoredClass(const QObject* object) {
    for (const QByteArray& name : Global().ignoredClasses)
        if (object->inherits(name.constData()))
            return true;
    return false;
}

bool IsIgnoredProperty(const QObject* object, const char* property) {
    for (const ClassProperty& entry : kQtNonTextProperties)
        if (qstrcmp(entry.property, property) == 0 && object->inherits(entry.className))
            return true;
    for (const auto& [className, name] : Global().ignoredProperties)
        if (name.compare(QLatin1StringView(property), Qt::CaseInsensitive) == 0 &&
            object->inherits(className.constData()))
            return true;
    return false;
}

// Qt sets and re-translates the texts of a button box's standard buttons itself.
bool IsStandardButton(const QObject* object) {
    const auto* box = qobject_cast<const QDialogButtonBox*>(object->parent());
    const auto* button = qobject_cast<const QAbstractButton*>(object);
    return box != nullptr && button != nullptr &&
           box->standardButton(const_cast<QAbstractButton*>(button)) != QDialogButtonBox::NoButton;
}

bool IsEmptyText(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().isEmpty();
    return value.toString().isEmpty();
}

// Dialogs that Qt builds itself: their texts, caption included, are Qt's, which
// Qt sets and re-translates through the translator.
constexpr const char* kQtDialogs[] = {"QFileDialog",   "QMessageBox", "QInputDialog",
                                      "QColorDialog",  "QFontDialog", "QProgressDialog",
                                      "QErrorMessage", "QWizard"};

bool IsQtDialog(const QObject* object) {
    for (const char* name : kQtDialogs)
        if (object->inherits(name))
            return true;
    return false;
}

void RecordTexts(QObject* object, bool isRoot, std::vector<RecordedProperty>& out) {
    if (!isRoot && object->objectName().startsWith(QLatin1StringView("qt_")))
        return;
    if (!isRoot && IsQtDialog(object))
        return;
    if (!IsIgnoredClass(object) && !IsStandardButton(object)) {
        const QMetaObject* meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            const int type = property.metaType().id();
            if ((type != QMetaType::QString && type != QMetaType::QStringList) ||
                !property.isReadable() || !property.isWritable() ||
                IsIgnoredProperty(object, property.name()))
                continue;
            QVariant value = property.read(object);
            if (!IsEmptyText(value))
                out.push_back({object, property.name(), std::move(value)});
        }
    }
    for (QObject* child : object->children())
        RecordTexts(child, false, out);
}

// A window text in the domain; for "default", Qt's own texts that windows carry
// (a close button's "&Close") are found in the domains of Qt's texts after it.
QString TranslateWindowText(const QString& domain, const QString& text) {
    const QByteArray msgid = text.toUtf8();
    const QStringList domains =
        domain == kDefaultDomain ? Global().resourceDomains : QStringList{domain};
    for (const QString& each : domains)
        if (const std::optional<QString> translation = Lookup(each, msgid))
            return *translation;
    return text;
}

// Sets every recorded property to the translation of its untranslated text. All
// texts are recorded before any is set: setting one (a radio group's items) may
// change or rebuild others (its buttons), whose records then hold the texts they
// had before.
void ApplyTranslations(const std::vector<RecordedProperty>& properties, const QString& domain) {
    for (const RecordedProperty& entry : properties) {
        if (!entry.object)
            continue;
        if (entry.untranslated.metaType().id() != QMetaType::QStringList) {
            entry.object->setProperty(entry.property.constData(),
                                      TranslateWindowText(domain, entry.untranslated.toString()));
            continue;
        }
        QStringList items = entry.untranslated.toStringList();
        for (QString& item : items)
            item = TranslateWindowText(domain, item);
        // A radio group keeps its selection when only the texts of its items change.
        if (auto* group = qobject_cast<TRadioGroup*>(entry.object);
            group && entry.property == "items")
            group->RenameItems(items);
        else
            entry.object->setProperty(entry.property.constData(), items);
    }
}

} // namespace

QString DGettext(const QString& domain, const QString& msgid) {
    return Lookup(DomainOrDefault(domain), msgid.toUtf8()).value_or(msgid);
}

QString _(const QString& msgid) {
    return DGettext(kDefaultDomain, msgid);
}

QString _(const char* msgid) {
    return _(QString::fromUtf8(msgid));
}

void UseLanguage(const QString& code) {
    State& state = Global();
    QString language = code.isEmpty() ? EnvironmentLanguage() : code;
    if (const qsizetype dot = language.indexOf(u'.'); dot >= 0)
        language.truncate(dot);
    state.language = language;
    state.languageSet = true;
    state.catalogues.clear();
    // Loaded now, so that a damaged catalogue is reported when the language is
    // chosen, not in the middle of drawing a window.
    for (const QString& domain : QStringList(state.resourceDomains))
        Catalogue(domain);
    InstallTranslator();
}

QString GetCurrentLanguage() {
    return Global().language;
}

void AddDomainForResourceString(const QString& domain) {
    State& state = Global();
    if (!state.resourceDomains.contains(domain)) {
        state.resourceDomains.append(domain);
        Catalogue(domain);
    }
    if (!state.translator)
        InstallTranslator();
}

QStringList ResourceStringDomains() {
    return Global().resourceDomains;
}

void TP_GlobalIgnoreClass(const char* className) {
    Global().ignoredClasses.emplace_back(className);
}

void TP_GlobalIgnoreClassProperty(const char* className, const QString& propertyName) {
    Global().ignoredProperties.emplace_back(className, propertyName);
}

void TranslateComponent(QObject* component, const QString& domain) {
    if (component == nullptr)
        return;
    State& state = Global();
    if (state.records.contains(component)) {
        RetranslateComponent(component, domain);
        return;
    }
    ComponentRecord record;
    RecordTexts(component, true, record.properties);
    record.language = state.language;
    ApplyTranslations(record.properties, DomainOrDefault(domain));
    state.records.insert_or_assign(component, std::move(record));
    QObject::connect(component, &QObject::destroyed,
                     [component] { Global().records.erase(component); });
}

void RetranslateComponent(QObject* component, const QString& domain) {
    if (component == nullptr)
        return;
    State& state = Global();
    const auto found = state.records.find(component);
    if (found == state.records.end())
        throw ETranslationError("Component " + component->objectName().toStdString() +
                                " has not been translated");
    if (found->second.language == state.language)
        return;
    found->second.language = state.language;
    ApplyTranslations(found->second.properties, DomainOrDefault(domain));
}

QStringList RecordedTexts(const QObject* component) {
    QStringList texts;
    const auto found = Global().records.find(component);
    if (found == Global().records.end())
        return texts;
    for (const RecordedProperty& entry : found->second.properties) {
        if (entry.untranslated.metaType().id() == QMetaType::QStringList)
            texts += entry.untranslated.toStringList();
        else
            texts.append(entry.untranslated.toString());
    }
    return texts;
}

QStringList GetListOfLanguages(const QString& domain) {
    QStringList languages;
    for (const QString& folder : CatalogueFolders()) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString lower = name.toLower();
            if (!languages.contains(lower) &&
                QFileInfo(dir.filePath(name + QStringLiteral("/LC_MESSAGES/") + domain + ".mo"))
                    .isFile())
                languages.append(lower);
        }
    }
    return languages;
}

QStringList CatalogueFolders() {
    const State& state = Global();
    if (state.folders)
        return *state.folders;
    // Next to the executable (the build tree), then the installed data folder found
    // from the executable's folder, so that an installation works wherever its root lies.
    const QString exeFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return {exeFolder + QStringLiteral("/locale"),
            QDir::cleanPath(exeFolder + QStringLiteral("/../" PYLOX_INSTALL_DATADIR "/locale"))};
}

void SetCatalogueFolders(const QStringList& folders) {
    State& state = Global();
    state.folders = folders;
    state.catalogues.clear();
}
