#pragma once

#include "prismosettings.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

// The program itself as a process, offscreen, with its settings in a folder
// of its own (its XDG_CONFIG_HOME) naming 127.0.0.11 as its unit and
// prismo-2 ganged, and units on `devicePort`. The test adds to the
// environment and starts the process.
struct ProgramProcess
{
    explicit ProgramProcess(quint16 devicePort) : environment(QProcessEnvironment::systemEnvironment())
    {
        QSettings store(home.filePath(QStringLiteral("%1/%2.conf").arg(PrismoSettings::Organisation, PrismoSettings::Application)),
                        QSettings::IniFormat);
        PrismoSettings::save(store, QStringLiteral("127.0.0.11"), {QStringLiteral("prismo-2 ")});
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        environment.insert(QStringLiteral("PRISMOLINK_DEVICE_PORT"), QString::number(devicePort));
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    void start(const QString &binary, const QStringList &arguments)
    {
        process.setProcessEnvironment(environment);
        process.start(binary, arguments);
    }

    QTemporaryDir home;
    QProcessEnvironment environment;
    QProcess process;
};
