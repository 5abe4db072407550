// Driving the options windows as a user would: typing into the focused field,
// pressing keys, clicking radio items, and gathering every message box that shows.
#pragma once

#include "GuiDriver.h"
#include "platform/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace pylox::test {

// Clicks an item of a radio group.
inline void Click(TRadioGroup* group, int item) {
    group->findChildren<QRadioButton*>().at(item)->click();
}

// Answers every message box that shows, keeping its text and icon, while it lives.
class MessageBoxes {
public:
    MessageBoxes() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QMessageBox* box = VisibleMessageBox()) {
                texts.push_back(box->text());
                icons.push_back(box->icon());
                names.push_back(box->objectName());
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QStringList names;

private:
    QTimer timer_;
};

// Each time the window shows, runs act from the event loop once the window is active,
// while the object lives (act may open further windows: one showing runs act once).
class WhileShown {
public:
    WhileShown(QWidget* window, std::function<void()> act) : act_(std::move(act)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, window] {
            if (!window->isVisible()) {
                seen_ = false;
                return;
            }
            // The user acts once the window has the keyboard.
            if (seen_ || !window->isActiveWindow())
                return;
            seen_ = true;
            ++shows;
            act_();
        });
        timer_.start();
    }
    int shows = 0;

private:
    std::function<void()> act_;
    QTimer timer_;
    bool seen_ = false;
};

} // namespace pylox::test
