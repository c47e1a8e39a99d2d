#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the event loop of its thread stood still: a timer ticks
// every 10 ms, and the longest gap between two ticks (or since the start) is
// kept. Work that blocks the thread delays the next tick by as much.
class StallProbe : public QObject
{
    Q_OBJECT

public:
    explicit StallProbe(QObject *parent = nullptr);

    void start();
    // The longest gap so far, up to this moment.
    qint64 longestGapMs() const;

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};
