#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// Where the OSC server listens and whom it obeys. Off unless enabled; on the
// loopback address unless told otherwise; beyond loopback only senders on
// the allow-list are obeyed.
struct OscOptions
{
    // Not used by common show-control tools (QLab 53000, TouchOSC 8000/9000,
    // Companion 12321, Eos 3032 and 8000, X32 10023, SuperCollider 57110).
    static constexpr quint16 DefaultPort = 49370;

    bool enabled = false;
    quint16 port = DefaultPort;
    QHostAddress listen = QHostAddress::LocalHost;
    // Addresses or subnets (a.b.c.d/n) whose messages are obeyed.
    QList<QPair<QHostAddress, int>> allowed;

    // Parses a comma-separated list of addresses and subnets; false (and
    // the bad entry in error) when one is neither.
    static bool parseAllowList(const QString &text, QList<QPair<QHostAddress, int>> &list, QString &error);
    bool allows(const QHostAddress &sender) const;
};
