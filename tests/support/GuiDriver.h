// Driving modal windows from a test: the steps run from the event loop of the
// modal showing they wait for, as a user's clicks would.
#pragma once

#include "PendingPolls.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>

namespace pylox::test {

// The visible top-level window with this object name, or nullptr.
inline QWidget* VisibleWindow(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == objectName)
            return w;
    return nullptr;
}

// The visible message box, or nullptr.
inline QMessageBox* VisibleMessageBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

// Runs act once the condition holds, polling from the event loop; gives up after
// the limit (the test then fails on what act did not do).
inline void When(std::function<bool()> condition, std::function<void()> act,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(15000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto* timer = new QTimer(PendingPolls());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (condition()) {
            timer->stop();
            timer->deleteLater();
            act();
        } else if (std::chrono::steady_clock::now() > deadline) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// Once the named window is visible, runs act on it.
inline void WhenVisible(const QString& objectName, std::function<void(QWidget*)> act) {
    When([=] { return VisibleWindow(objectName) != nullptr; },
         [=] { act(VisibleWindow(objectName)); });
}

// Once a message box shows, keeps its text and presses its OK button.
inline void AnswerMessageBox(QString* text) {
    When([] { return VisibleMessageBox() != nullptr; },
         [=] {
             QMessageBox* box = VisibleMessageBox();
             if (text)
                 *text = box->text();
             box->accept();
         });
}

// Once the file dialog shows, types the path into its name field and confirms,
// as a user would; an empty path cancels the dialog.
inline void AnswerFileDialog(QFileDialog* dialog, const std::string& path) {
    When([dialog] { return dialog->isVisible(); },
         [dialog, path] {
             if (path.empty()) {
                 dialog->reject();
                 return;
             }
             dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(path));
             static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
         });
}

// Types the text into the widget that has the keyboard focus, key by key.
inline void Type(const QString& text) {
    for (QChar c : text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

inline void PressKey(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Types the texts into the focused field and the ones after it, moving on with Tab
// as a user fills in a form (no Tab after the last).
inline void TypeFields(std::initializer_list<QString> texts) {
    bool first = true;
    for (const QString& text : texts) {
        if (!first)
            PressKey(Qt::Key_Tab);
        first = false;
        Type(text);
    }
}

// Clicks an item of a radio group, as the user would.
inline void Click(TRadioGroup* group, int item) {
    group->findChildren<QRadioButton*>().at(item)->click();
}

// Processes events until the condition holds or the limit passes.
inline bool WaitFor(std::function<bool()> condition,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace pylox::test
