#include "midiinbox.h"

#include <QMutexLocker>

bool MidiInbox::put(const unsigned char *bytes, std::size_t size)
{
    QMutexLocker lock(&m_mutex);
    if (size == 0 || size > LongestMessage || m_queue.size() >= std::size_t(Capacity)) {
        ++m_dropped;
        return false;
    }
    m_queue.emplace_back(reinterpret_cast<const char *>(bytes), int(size));
    return m_queue.size() == 1;
}

QVector<QByteArray> MidiInbox::take(int most)
{
    QMutexLocker lock(&m_mutex);
    QVector<QByteArray> messages;
    while (!m_queue.empty() && messages.size() < most) {
        messages.append(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    return messages;
}

bool MidiInbox::isEmpty() const
{
    QMutexLocker lock(&m_mutex);
    return m_queue.empty();
}

quint64 MidiInbox::dropped() const
{
    QMutexLocker lock(&m_mutex);
    return m_dropped;
}
