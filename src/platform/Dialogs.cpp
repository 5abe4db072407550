#include "platform/Dialogs.h"

#include "platform/Application.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

// Boxes open over the window the user is working in.
QWidget* BoxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return Application ? Application->MainForm() : nullptr;
}

} // namespace

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
    QMessageBox box(icon, caption, shown, QMessageBox::Ok, BoxOwner());
    box.setObjectName(QStringLiteral("MessageDlg"));
    box.exec();
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
    QInputDialog dialog(BoxOwner());
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultText;
}

void Beep() {
    QApplication::beep();
}
