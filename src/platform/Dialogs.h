// Message boxes and the one-line input box.
#pragma once

#include <QString>

enum class TMsgDlgType { Warning, Error, Information, Confirmation };

// A modal message box with one OK button; returns when it is closed.
void MessageDlg(const QString& text, TMsgDlgType type);
// Asks for one line; the default text when the box is cancelled.
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText);
// The exclamation beep.
void Beep();
