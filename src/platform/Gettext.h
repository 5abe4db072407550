// Translation of the program's texts through GNU gettext catalogues (.mo files).
// The Italian texts are the message identifiers: while no catalogue is loaded,
// _ returns its argument unchanged.
#pragma once

#include <QString>

QString _(const QString& msgid);
QString _(const char* msgid);

// Marks a window design text for the catalogue extraction (scripts/extract-messages)
// without translating it: the window translation does that once the window exists.
// Use it for design texts that are not passed literally to a Qt text setter
// (setText, setWindowTitle, setTitle, setToolTip, setStatusTip), e.g. item lists:
//     Tipo1Rg->setItems({N_("Normale"), N_("Pioggia")});
constexpr const char* N_(const char* msgid) { return msgid; }
