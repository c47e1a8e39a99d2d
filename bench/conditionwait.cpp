#include "conditionwait.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>

bool ConditionWait::until(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    bool met = false;
    const auto check = [&] {
        if (!met && condition()) {
            met = true;
            loop.quit();
        }
    };
    QTimer poll;
    poll.setInterval(PollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, check);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection idle =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, check);
    poll.start();
    limit.start(timeoutMs);
    loop.exec();
    QObject::disconnect(idle);
    return met;
}
