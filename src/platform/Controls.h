// The controls of the tool's windows that plain Qt widgets do not cover, and the
// design helpers that place a control at its client coordinates. Labels, edits,
// group boxes, panels and list boxes are the plain Qt widgets; a window's handlers
// are connected with OnClicked (and the OnClick/OnTimer members below), which run
// them through RunHandler.
#pragma once

#include <QColor>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QAbstractButton;
class QRadioButton;
class QStatusBar;
class TForm;

// Puts a control under a parent with a name and a place (left, top, width, height).
template <class W> W* Place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The kinds of buttons that close a form with a result.
enum class TButtonKind { Custom, Ok, Cancel, Close };

// A push button; a kind other than Custom closes its form with that kind's result
// and has that kind's caption when none is given. The OK kind is the default
// button, the Cancel kind answers Esc.
QPushButton* MakeButton(TForm* form, QWidget* parent, TButtonKind kind,
                        const QString& caption = {});

// Runs the handler on every click of the button.
void OnClicked(QAbstractButton* button, std::function<void()> handler);

// Gives a control its hint, "short|long": the short part becomes its tool tip, the
// long part its status tip; a hint without "|" is both.
void SetHint(QWidget* control, const QString& hint);
// From now on the status bar shows the application's hint: the long part of the
// hint of the control under the mouse, nothing over a control without one.
void ShowHintsIn(QStatusBar* bar);

// An edit that shows "*" for every character typed.
class QLineEdit;
QLineEdit* MakePasswordEdit(QWidget* parent);

// A group of radio buttons in columns, filled top to bottom, column by column. Its
// click handler runs on every change of the selection, whether the user or code
// made it, and only then. The "items" property is what translation walks.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ Items WRITE SetItems)
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    QStringList Items() const { return items_; }
    // Replaces the items; the selection is cleared (without a click).
    void SetItems(const QStringList& items);
    // Replaces the texts of the items and keeps the selection (for translation).
    void RenameItems(const QStringList& items);
    int ItemIndex() const { return itemIndex_; }
    // -1 clears the selection.
    void SetItemIndex(int index);
    void SetColumns(int columns);
    int Columns() const { return columns_; }

    std::function<void()> OnClick;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rebuild();
    void Arrange();

    QStringList items_;
    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

// A number edit with bounds; a value outside them is brought inside.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    void SetBounds(int minValue, int maxValue) { setRange(minValue, maxValue); }
    int Value() const { return value(); }
    void SetValue(int v) { setValue(v); }
};

// An indicator lamp of 22 x 14 pixels: the on colour while its value is true, the
// off colour while false; it starts unlit. It asks to be repainted only when its
// value changes, which RepaintRequests counts.
class TLed : public QWidget {
    Q_OBJECT
public:
    explicit TLed(QWidget* parent = nullptr);

    bool Value() const { return value_; }
    void SetValue(bool value);
    QColor TrueColor = QColor(0, 255, 0);
    QColor FalseColor = QColor(192, 192, 192);
    QColor Color() const { return value_ ? TrueColor : FalseColor; }
    // How often the lamp asked to be repainted.
    int RepaintRequests() const { return repaintRequests_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool value_ = false;
    int repaintRequests_ = 0;
};

// A timer with an interval, an enabled flag and one handler, on the main thread;
// created disabled. A handler that must not overlap itself disables the timer while
// it runs.
class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* parent = nullptr);
    void SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }
    int Interval() const { return timer_.interval(); }
    void SetEnabled(bool enabled);
    bool Enabled() const { return timer_.isActive(); }
    std::function<void()> OnTimer;

private:
    QTimer timer_;
};

// The neutral skin for the whole application: Fusion with a grey palette and a
// small sans-serif font at which the window designs' captions fit.
void ApplyNeutralSkin();
