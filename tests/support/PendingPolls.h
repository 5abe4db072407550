// The owner of the polls that window tests leave waiting on the event loop; the
// test main ends them with each test, so that none acts on the windows of the next.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

namespace pylox::test {

inline QObject* PendingPolls() {
    static QPointer<QObject> polls;
    if (!polls)
        polls = new QObject(QCoreApplication::instance());
    return polls;
}

} // namespace pylox::test
