// Finds the texts of a window that its design clips: labels, buttons, radio
// buttons, check boxes and group box titles whose text needs more room than the
// control's text area has in the current font and style.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QWidget>

namespace pylox::test {

inline QString Describe(const QWidget* w, const QSize& need, const QRect& room) {
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(w->objectName(), w->property("text").toString().isEmpty()
                                  ? w->property("title").toString()
                                  : w->property("text").toString())
        .arg(need.width())
        .arg(need.height())
        .arg(room.width())
        .arg(room.height());
}

inline QStringList ClippedCaptions(QWidget* window) {
    QStringList clipped;
    const auto check = [&](const QWidget* w, const QSize& need, const QRect& room) {
        if (need.width() > room.width() || need.height() > room.height())
            clipped << Describe(w, need, room);
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->wordWrap() || label->hasScaledContents())
            continue;
        const int m = label->margin();
        check(label, label->fontMetrics().size(Qt::TextShowMnemonic, label->text()),
              label->contentsRect().adjusted(m, m, -m, -m));
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty())
            continue;
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (qobject_cast<QRadioButton*>(button))
            element = QStyle::SE_RadioButtonContents;
        else if (qobject_cast<QCheckBox*>(button))
            element = QStyle::SE_CheckBoxContents;
        else if (!qobject_cast<QPushButton*>(button))
            continue;
        check(button, button->fontMetrics().size(Qt::TextShowMnemonic, button->text()),
              button->style()->subElementRect(element, &option, button));
    }
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) {
        if (box->title().isEmpty())
            continue;
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.lineWidth = 1;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                         QStyle::SC_GroupBoxLabel, box);
        const QSize need = box->fontMetrics().size(Qt::TextShowMnemonic, box->title());
        // The title's room ends at the box's right edge.
        check(box, need,
              QRect(label.left(), label.top(), box->width() - label.left(),
                    qMax(label.height(), need.height())));
    }
    return clipped;
}

} // namespace pylox::test
