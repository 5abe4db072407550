// The application object: owns every form from its creation, in creation order,
// knows the main form (closing it ends the program), carries the title, the
// current hint and its hint event, and shows errors in the standard error box.
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

    void SetTitle(const QString& title);
    QString Title() const;

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
    QString hint_;
};

// The one application object, set while it exists.
extern TApplication* Application;
