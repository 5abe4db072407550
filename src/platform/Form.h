// The form base of every window: a dialog with a fixed client size, a border kind,
// an Execute-style modal run with a modal result, and the creation, show,
// activation and close hooks of the tool's windows.
//
// A window module derives its T...Frm from TForm, builds its controls in the
// constructor (SetDesign, then Place each control at its client coordinates) and
// offers an Execute that prepares its fields and calls ShowModal. A handler ends a
// modal showing by setting a result (SetModalResult, or a button of an OK/Cancel
// kind): the showing ends once the handler has returned, so the rest of the handler
// still runs with the window on screen. The close box ends it with mrCancel; Esc
// presses the form's cancel button, if it has one. The hooks run on the main
// thread; what a hook throws goes to the application's error box (RunHandler).
#pragma once

#include <QDialog>
#include <QRect>

class QPushButton;

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrClose = 8 };

enum class TBorderStyle {
    Single, // a main window: title bar, fixed size
    Dialog, // a dialog frame, fixed size
    None,   // no frame and no title bar
};

enum class TPosition {
    ScreenCenter,
    OwnerFormCenter, // centred on the window it opens over
    MainFormCenter,
};

class TForm : public QDialog {
    Q_OBJECT
public:
    explicit TForm(QWidget* owner = nullptr);

    // Shows the form modally and returns how it was closed.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    // A result other than mrNone ends a running modal showing once the handler
    // that set it returns; setting mrNone again before that keeps it running.
    void SetModalResult(int result);

    // Called once, by the application object, right after the form is created.
    virtual void FormCreate() {}

protected:
    // Design helpers for the window modules.
    void SetDesign(const QString& caption, int clientWidth, int clientHeight, TBorderStyle border,
                   bool systemMenu, TPosition position);
    // Esc presses this button; without one, Esc does nothing.
    void SetCancelButton(QPushButton* button) { cancelButton_ = button; }

    virtual void FormShow() {}
    virtual void FormActivate() {}
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PlaceOnScreen();
    // Ends the showing with the result set by a handler, if it still stands.
    void EndModalRun();

    int modalResult_ = mrNone;
    TPosition position_ = TPosition::ScreenCenter;
    QPushButton* cancelButton_ = nullptr;
};
