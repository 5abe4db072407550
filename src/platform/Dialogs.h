// Message boxes and the one-line input box, opened modally over the window the
// user is working in (object names "MessageDlg" and "InputBox").
#pragma once

#include <QString>

enum class TMsgDlgType { Warning, Error, Information, Confirmation };

// A modal message box with the type's icon and standard caption ("Error", ...) and
// one OK button; returns when it is closed. A "\r" in the text breaks the line.
void MessageDlg(const QString& text, TMsgDlgType type);
// Asks for one line; the default text when the box is cancelled.
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText);
// The exclamation beep.
void Beep();
