#include "platform/Gettext.h"

QString _(const QString& msgid) { return msgid; }

QString _(const char* msgid) { return _(QString::fromUtf8(msgid)); }
