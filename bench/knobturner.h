#pragma once

#include "displaycell.h"
#include "hubdisplay.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <array>
#include <vector>

class HubServer;

// The hand on the panel: lives on the hub stand-in's thread, turns one
// encoder a detent at a time on that thread's clock, and notes when the
// display first shows the value each detent leads to. What it saw is read
// from any thread.
class KnobTurner : public QObject
{
    Q_OBJECT

public:
    struct Progress
    {
        std::vector<qint64> sentNs;  // per detent: when the hub sent it
        std::vector<qint64> shownNs; // per detent: when the display first showed its value (or a later one's); 0 before

        // Every detent sent and shown: the last counts as shown only once sent.
        bool done() const { return !shownNs.empty() && shownNs.back() != 0; }
    };

    explicit KnobTurner(HubServer &server, QObject *parent = nullptr);

    // Thread-safe.
    Progress progress() const;
    bool programAnnounced() const;
    bool isShown(const DisplayCell &cell) const;

    // On the hub's thread: one detent now and one every intervalMs after,
    // each the increment on the encoder; cells[i] is what the display shows
    // once detent i has taken effect.
    void turn(quint32 encoderId, float increment, int intervalMs, const QVector<DisplayCell> &cells);

private:
    void detent();
    void displayChanged();

    HubServer &m_server;
    QTimer m_timer; // a child, so that it moves to the hub's thread too
    quint32 m_encoderId = 0;
    float m_increment = 0;
    QVector<DisplayCell> m_cells;

    mutable QMutex m_mutex; // guards what follows
    Progress m_progress;
    std::array<QString, HubDisplay::Lines> m_lines;
    bool m_announced = false;
};
