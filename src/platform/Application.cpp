#include "platform/Application.h"

#include <QApplication>
#include <QMessageBox>

#include <filesystem>

TApplication* Application = nullptr;

TApplication::TApplication() {
    Application = this;
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

void TApplication::SetTitle(const QString& title) {
    QApplication::setApplicationDisplayName(title);
}

QString TApplication::Title() const {
    return QApplication::applicationDisplayName();
}

void TApplication::SetHint(const QString& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    if (OnHint)
        OnHint();
}

void TApplication::ShowException(const QString& message) {
    QMessageBox::critical(nullptr, Title(), message);
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
