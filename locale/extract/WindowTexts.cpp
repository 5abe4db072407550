// pylox-window-texts: creates every window of the program as the program does,
// records its texts with the window translation, and writes them to standard
// output as a catalogue template, one entry per text with the windows it is in.
// scripts/extract-messages merges this with the texts marked in the code.
#include "platform/Application.h"
#include "platform/Gettext.h"
#include "startup/AllForms.h"

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
    CreateAllForms(application);

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
