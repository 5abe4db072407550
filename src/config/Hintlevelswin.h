// The cause dialog: a list of named causes, each setting a signal type and a level.
#pragma once

#include "platform/Form.h"

#include <optional>

class QListWidget;
class QPushButton;

struct TCause {
    int Level;
    int Type;
};

class THintLevelsFrm : public TForm {
    Q_OBJECT
public:
    THintLevelsFrm();

    // The level and type of the chosen cause; nothing when cancelled or none chosen.
    std::optional<TCause> Execute();

    QListWidget* LevLb;
    QPushButton *OkBtn, *CancelBtn;
};

extern THintLevelsFrm* HintLevelsFrm;
