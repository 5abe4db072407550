#include "platform/Dialogs.h"

#include "platform/Application.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

void MessageDlg(const QString& text, TMsgDlgType type) {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString caption = QMessageBox::tr("Information");
    switch (type) {
    case TMsgDlgType::Warning:
        icon = QMessageBox::Warning;
        caption = QMessageBox::tr("Warning");
        break;
    case TMsgDlgType::Error:
        icon = QMessageBox::Critical;
        caption = QMessageBox::tr("Error");
        break;
    case TMsgDlgType::Confirmation:
        icon = QMessageBox::Question;
        caption = QMessageBox::tr("Confirm");
        break;
    case TMsgDlgType::Information:
        break;
    }
    // Carriage returns break lines, as the messages are written.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    QMessageBox box(icon, caption, shown, QMessageBox::Ok,
                    Application ? Application->MainForm() : nullptr);
    box.setObjectName(QStringLiteral("MessageDlg"));
    box.exec();
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
    QInputDialog dialog(Application ? Application->MainForm() : nullptr);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultText;
}

void Beep() {
    QApplication::beep();
}
