#include "platform/Application.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <exception>
#include <filesystem>

TApplication* Application = nullptr;

TApplication::TApplication() {
    Application = this;
    // Only the main form ends the program, not whichever window happens to close
    // last: the start window stays hidden while the monitoring window runs.
    QApplication::setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication() {
    DestroyForms();
    if (Application == this)
        Application = nullptr;
}

void TApplication::Adopt(std::unique_ptr<TForm> form) {
    if (forms_.empty())
        QObject::connect(form.get(), &QDialog::finished, qApp, [] { QApplication::quit(); });
    forms_.push_back(std::move(form));
}

int TApplication::Run() {
    if (!MainForm())
        return 0;
    MainForm()->show();
    return QApplication::exec();
}

void TApplication::SetHint(const QString& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint();
}

void TApplication::ShowException(const QString& message) {
    QMessageBox box(QMessageBox::Critical, Title(), message, QMessageBox::Ok,
                    QApplication::activeModalWidget());
    box.setObjectName(QStringLiteral("ShowException"));
    box.exec();
}

void RunHandler(const std::function<void()>& handler) {
    QString message;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    if (Application)
        Application->ShowException(message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

QString TApplication::ExeName() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? QApplication::applicationFilePath() : QString::fromStdString(exe.string());
}

void TApplication::DestroyForms() {
    // The last created goes first: later windows may hold references to earlier ones.
    while (!forms_.empty())
        forms_.pop_back();
}
