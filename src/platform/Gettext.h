// Translation of the program's texts through GNU gettext catalogues (.mo files).
// The Italian texts are the message identifiers: while no catalogue is loaded,
// _ returns its argument unchanged.
#pragma once

#include <QString>

QString _(const QString& msgid);
QString _(const char* msgid);
