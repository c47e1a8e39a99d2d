#pragma once

#include <QObject>
#include <QTimer>

// Measures how long the event loop of its thread stood still: a timer is
// due every IntervalMs, and the latest any tick came after it was due is
// kept. Work that holds the thread up delays the next tick by as much.
class EventLoopProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 10;

    explicit EventLoopProbe(QObject *parent = nullptr);

    void start();
    void stop();
    // The longest lateness so far, in ms; a tick overdue now counts too.
    double longestStallMs() const;

private:
    void tick();

    QTimer m_timer;
    qint64 m_lastTickNs = 0;
    qint64 m_longestGapNs = 0;
};
