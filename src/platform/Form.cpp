#include "platform/Form.h"

#include "platform/Application.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>

TForm::TForm(QWidget* owner) : QDialog(owner) {
    setSizeGripEnabled(false);
}

void TForm::SetDesign(const QString& caption, int clientWidth, int clientHeight,
                      TBorderStyle border, bool systemMenu, TPosition position) {
    setWindowTitle(caption);
    setFixedSize(clientWidth, clientHeight);
    position_ = position;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    switch (border) {
    case TBorderStyle::None:
        flags |= Qt::FramelessWindowHint;
        break;
    case TBorderStyle::Single:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (systemMenu)
            flags |=
                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
        break;
    case TBorderStyle::Dialog:
        flags |= Qt::WindowTitleHint;
        if (systemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    }
    setWindowFlags(flags);
}

int TForm::ShowModal() {
    modalResult_ = mrNone;
    const int result = exec();
    modalResult_ = result == QDialog::Rejected && modalResult_ == mrNone ? mrCancel : result;
    return modalResult_;
}

void TForm::SetModalResult(int result) {
    modalResult_ = result;
    // Queued: the handler that set the result finishes first, with the window shown.
    if (result != mrNone)
        QMetaObject::invokeMethod(this, &TForm::EndModalRun, Qt::QueuedConnection);
}

void TForm::EndModalRun() {
    if (modalResult_ != mrNone && isVisible())
        done(modalResult_);
}

void TForm::done(int result) {
    // A close box or reject ends the showing with mrCancel, as a system-menu close does.
    if (result == QDialog::Rejected)
        result = modalResult_ != mrNone ? modalResult_ : mrCancel;
    modalResult_ = result;
    RunHandler([this] { FormClose(); });
    QDialog::done(result);
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (cancelButton_ && cancelButton_->isEnabled())
            cancelButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm::PlaceOnScreen() {
    QWidget* anchor = nullptr;
    if (position_ == TPosition::OwnerFormCenter)
        anchor = parentWidget() ? parentWidget()->window() : nullptr;
    else if (position_ == TPosition::MainFormCenter && Application)
        anchor = Application->MainForm();
    if (anchor == this)
        anchor = nullptr;
    QRect area;
    if (anchor && anchor->isVisible())
        area = anchor->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - rect().center());
}

void TForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window coming back from the window manager (spontaneous) is not shown anew.
    if (event->spontaneous())
        return;
    PlaceOnScreen();
    RunHandler([this] { FormShow(); });
}

bool TForm::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        RunHandler([this] { FormActivate(); });
        break;
    case QEvent::StatusTip:
        // The long part of the hint under the mouse goes to the application's hint.
        if (Application)
            Application->SetHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    default:
        break;
    }
    return QDialog::event(event);
}
