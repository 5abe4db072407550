#include "platform/Controls.h"

#include "platform/Application.h"
#include "platform/Form.h"

#include <QApplication>
#include <QFont>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleFactory>

QPushButton* MakeButton(TForm* form, QWidget* parent, TButtonKind kind, const QString& caption) {
    auto* button = new QPushButton(parent);
    QString text = caption;
    switch (kind) {
    case TButtonKind::Ok:
        if (text.isEmpty())
            text = QStringLiteral("OK");
        button->setDefault(true);
        QObject::connect(button, &QPushButton::clicked, form,
                         [form] { form->SetModalResult(mrOk); });
        break;
    case TButtonKind::Cancel:
        if (text.isEmpty())
            text = QStringLiteral("Cancel");
        QObject::connect(button, &QPushButton::clicked, form,
                         [form] { form->SetModalResult(mrCancel); });
        break;
    case TButtonKind::Close:
        if (text.isEmpty())
            text = QStringLiteral("&Close");
        QObject::connect(button, &QPushButton::clicked, form, [form] { form->close(); });
        break;
    case TButtonKind::Custom:
        button->setAutoDefault(false);
        break;
    }
    button->setText(text);
    return button;
}

void OnClicked(QAbstractButton* button, std::function<void()> handler) {
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [handler = std::move(handler)] { RunHandler(handler); });
}

void SetHint(QWidget* control, const QString& hint) {
    const qsizetype bar = hint.indexOf(QChar('|'));
    control->setToolTip(bar < 0 ? hint : hint.left(bar));
    control->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void ShowHintsIn(QStatusBar* bar) {
    Application->OnHint = [bar] { bar->showMessage(Application->Hint()); };
}

QLineEdit* MakePasswordEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent) {}

void TRadioGroup::SetItems(const QStringList& items) {
    items_ = items;
    itemIndex_ = -1;
    Rebuild();
}

void TRadioGroup::RenameItems(const QStringList& items) {
    if (items.size() != items_.size()) {
        const int keep = itemIndex_;
        SetItems(items);
        updating_ = true;
        if (keep >= 0 && keep < static_cast<int>(buttons_.size()))
            buttons_[static_cast<std::size_t>(keep)]->setChecked(true);
        itemIndex_ = keep < static_cast<int>(buttons_.size()) ? keep : -1;
        updating_ = false;
        return;
    }
    items_ = items;
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setText(items_[static_cast<int>(i)]);
}

void TRadioGroup::Rebuild() {
    for (QRadioButton* button : buttons_)
        delete button;
    buttons_.clear();
    for (int i = 0; i < items_.size(); ++i) {
        auto* button = new QRadioButton(items_[i], this);
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::clicked, this, [this, i] {
            if (!updating_)
                SetItemIndex(i);
        });
        button->show();
        buttons_.push_back(button);
    }
    Arrange();
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(buttons_.size()))
        index = -1;
    updating_ = true;
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setChecked(static_cast<int>(i) == index);
    updating_ = false;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    if (OnClick)
        RunHandler(OnClick);
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = columns < 1 ? 1 : columns;
    Arrange();
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    Arrange();
}

void TRadioGroup::Arrange() {
    if (buttons_.empty())
        return;
    // Items fill the columns top to bottom, evenly spaced in the area under the caption.
    const int top = fontMetrics().height() + 2;
    const int rows = (static_cast<int>(buttons_.size()) + columns_ - 1) / columns_;
    const int columnWidth = (width() - 12) / columns_;
    const int rowHeight = rows > 0 ? (height() - top - 4) / rows : 0;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const int column = static_cast<int>(i) / rows;
        const int row = static_cast<int>(i) % rows;
        buttons_[i]->setGeometry(8 + column * columnWidth, top + row * rowHeight, columnWidth - 2,
                                 rowHeight);
    }
}

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {}

TLed::TLed(QWidget* parent) : QWidget(parent) {
    setFixedSize(22, 14);
}

void TLed::SetValue(bool value) {
    if (value == value_)
        return;
    value_ = value;
    ++repaintRequests_;
    update();
}

void TLed::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(Color());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

TTimer::TTimer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (OnTimer)
            RunHandler(OnTimer);
    });
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled)
        timer_.start();
    else
        timer_.stop();
}

void ApplyNeutralSkin() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(236, 236, 236));
    palette.setColor(QPalette::WindowText, QColor(0x41, 0x41, 0x41));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(245, 245, 245));
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, QColor(228, 228, 228));
    palette.setColor(QPalette::ButtonText, QColor(0x20, 0x20, 0x20));
    palette.setColor(QPalette::Highlight, QColor(90, 120, 160));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(150, 150, 150));
    QApplication::setPalette(palette);
    // Metrics of the 8-point sans serif the designs were laid out in.
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    QApplication::setFont(font);
}
