#pragma once

#include <QHash>
#include <QHostAddress>

// How much OSC the program obeys: each message costs what obeying it does
// (a set 1, a look recall or a unit switch far more), taken from the
// sender's allowance and from the allowance of all senders together. Each
// allowance fills at its rate per second up to half a second's worth, so a
// burst is taken at once but no sender, nor all of them, gets more than
// the rate. What the allowances cannot pay is not obeyed.
class OscBudget
{
public:
    static constexpr int PerSenderPerSecond = 1000;
    static constexpr int AllPerSecond = 2000;
    // Senders whose allowance is kept; beyond them a new sender is held to
    // the allowance of all.
    static constexpr int SendersKept = 256;

    // Takes cost from both allowances, or nothing and false when either lacks it.
    bool take(const QHostAddress &sender, int cost, qint64 nowMs);
    // Less than a set left: a packet from the sender is dropped unread.
    bool spent(const QHostAddress &sender, qint64 nowMs);

private:
    struct Allowance
    {
        double left = 0;
        qint64 atMs = 0;
        // Fills it up to now; true when it is full.
        bool fill(int perSecond, qint64 nowMs);
    };

    Allowance *senderAllowance(const QHostAddress &sender, qint64 nowMs);

    Allowance m_all{AllPerSecond / 2.0, 0};
    QHash<QHostAddress, Allowance> m_senders;
};
