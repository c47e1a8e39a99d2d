#pragma once

#include "ports.h"

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

struct CommandLine;
class PrismoSettings;

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

    // The options the command line and the settings ask for, the command
    // line first. A value given on the command line that cannot be used is
    // an error (false, and why in error); one of the settings is damage: it
    // is told as a warning and its default is used.
    static bool compose(const CommandLine &line, const PrismoSettings &settings, OscOptions &options, QString &error);
    // Parses a comma-separated list of addresses and subnets; false (and
    // why in error) when an entry is neither, or empty. A blank text is an
    // empty list.
    static bool parseAllowList(const QString &text, QList<QPair<QHostAddress, int>> &list, QString &error);
    bool allows(const QHostAddress &sender) const;
};
