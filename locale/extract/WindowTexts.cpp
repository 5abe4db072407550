// pylox-window-texts: creates every window of the program as the program does,
// records its texts with the window translation, and writes them to standard
// output as a catalogue template, one entry per text with the windows it is in.
// scripts/extract-messages merges this with the texts marked in the code.
#include "config/Configwin.h"
#include "config/Hintlevelswin.h"
#include "monitor/Aboutwin.h"
#include "monitor/Mainwin.h"
#include "monitor/Reqinfowin.h"
#include "passwords/Getpasswordwin.h"
#include "passwords/Inputpasswordwin.h"
#include "platform/Application.h"
#include "platform/Gettext.h"
#include "settings/Opzioni.h"
#include "settings/Opzioniserialewin.h"
#include "startup/Identificazioneutentewin.h"
#include "startup/Startwin.h"

#include <QApplication>
#include <QMap>
#include <QTextStream>

namespace {

QString Quoted(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return u'"' + out + u'"';
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // No catalogue: the texts stay as the windows were designed.
    SetCatalogueFolders({});
    UseLanguage(QStringLiteral("C"));

    TApplication application;
    application.CreateForm<TConfigFrm>();
    application.CreateForm<TGetPasswordFrm>();
    application.CreateForm<THintLevelsFrm>();
    application.CreateForm<TInputPasswordFrm>();
    application.CreateForm<TMainFrm>();
    application.CreateForm<TReqSuInfoFrm>();
    application.CreateForm<TStartFrm>();
    application.CreateForm<TAboutFrm>();
    application.CreateForm<TLogonFrm>();
    application.CreateForm<TOpzioniFrm>();
    application.CreateForm<TOpzioniSerialeFrm>();

    QStringList order;
    QMap<QString, QStringList> windows;
    for (const auto& form : application.Forms()) {
        TranslateComponent(form.get());
        for (const QString& text : RecordedTexts(form.get())) {
            // Blanks alone are separators, not messages.
            if (text.trimmed().isEmpty())
                continue;
            if (!windows.contains(text))
                order.append(text);
            if (!windows[text].contains(form->objectName()))
                windows[text].append(form->objectName());
        }
    }

    QTextStream out(stdout);
    out << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n";
    for (const QString& text : order)
        out << "\n#. " << windows[text].join(QStringLiteral(", ")) << "\nmsgid " << Quoted(text)
            << "\nmsgstr \"\"\n";
    return 0;
}
