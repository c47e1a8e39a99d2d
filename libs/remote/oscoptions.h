#pragma once

#include "ports.h"

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// Where the OSC server listens and whom it obeys. Off unless enabled; on the
// loopback address unless told otherwise; beyond loopback only senders on
// the allow-list are obeyed.
struct OscOptions
{
    static constexpr quint16 DefaultPort = Ports::DefaultOscPort;

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
