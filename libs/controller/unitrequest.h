#pragma once

#include <QByteArray>
#include <QMetaType>

// One request to a unit and, once done, its outcome.
struct UnitRequest
{
    enum class Kind { Read, Write };

    static constexpr int DefaultBodyLimit = 4096;

    Kind kind = Kind::Read;
    quint64 id = 0;
    QByteArray name;
    QByteArray value;  // a write's value; a read's reply once done
    QByteArray format = "text-plain";
    int bodyLimit = DefaultBodyLimit;

    // Filled in by the worker.
    bool ok = false;
    bool answered = false;
    int elapsedMs = 0;
};

Q_DECLARE_METATYPE(UnitRequest)
