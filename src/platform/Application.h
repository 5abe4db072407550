// The application object: owns every form from its creation, in creation order,
// knows the main form (closing it ends the program; hiding it does not), carries
// the title, the current hint and its hint event, and shows errors in the standard
// error box. Create it after the QApplication and before the first form.
//
// Hints: a control's hint is set with SetHint (Controls.h) in the "short|long"
// form; the short part is its tool tip, the long part its status tip. The long part
// of the hint under the mouse becomes the application's Hint, and OnHint runs on
// every change (ShowHintsIn links it to a status bar).
#pragma once

#include "platform/Form.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Creates a form, keeps it for the rest of the run and runs its FormCreate.
    // The first form created is the main form.
    template <class F> F* CreateForm() {
        auto form = std::make_unique<F>();
        F* created = form.get();
        Adopt(std::move(form));
        created->FormCreate();
        return created;
    }
    const std::vector<std::unique_ptr<TForm>>& Forms() const { return forms_; }
    TForm* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

    // Shows the main form and runs the message loop until it is closed.
    int Run();

    // The program's name for the user, the caption of the standard error box. Kept
    // apart from Qt's application display name, which the X11 platform would append
    // to every window caption.
    void SetTitle(const QString& title) { title_ = title; }
    QString Title() const { return title_; }

    // The hint under the mouse; every change runs OnHint.
    void SetHint(const QString& hint);
    QString Hint() const { return hint_; }
    std::function<void()> OnHint;

    // The standard error box, captioned with the title.
    void ShowException(const QString& message);
    // The full path of the running program.
    static QString ExeName();

    // Drops every form (the end of the run).
    void DestroyForms();

private:
    void Adopt(std::unique_ptr<TForm> form);

    std::vector<std::unique_ptr<TForm>> forms_;
    QString title_;
    QString hint_;
};

// Runs an event handler; an exception that escapes it is shown in the standard
// error box (or written to standard error without an application object), and the
// program goes on.
void RunHandler(const std::function<void()>& handler);

// The one application object, set while it exists.
extern TApplication* Application;
