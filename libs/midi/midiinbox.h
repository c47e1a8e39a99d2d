#pragma once

#include <QByteArray>
#include <QMutex>
#include <QVector>

#include <cstddef>
#include <deque>

// Messages handed from RtMidi's thread to the event loop: a queue guarded by
// a lock and bounded, so a controller (or a loop in a MIDI patch) flooding
// the port costs dropped messages, never memory or a stalled window.
class MidiInbox
{
public:
    static constexpr int Capacity = 2048;
    // A channel message is three bytes; longer ones (system exclusive) are of no use here.
    static constexpr std::size_t LongestMessage = 64;

    // Any thread: keeps a message. True when the queue was empty, so the
    // event loop is to be woken; a later message finds it awake.
    bool put(const unsigned char *bytes, std::size_t size);
    // The event loop: up to `most` messages, the oldest first.
    QVector<QByteArray> take(int most);
    bool isEmpty() const;
    quint64 dropped() const;

private:
    mutable QMutex m_mutex;
    std::deque<QByteArray> m_queue;
    quint64 m_dropped = 0;
};
