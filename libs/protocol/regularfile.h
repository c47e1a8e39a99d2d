#pragma once

#include <QByteArray>
#include <QString>

// Reads a file whose name came from outside (a remote-control message, the
// recent looks, a file dialog, the settings store): only a regular file is
// read, so a folder, a device or a pipe is refused with a message instead
// of being read or waited on (opening a pipe waits for a writer), and only
// when it holds no more than a given number of bytes.
class RegularFile
{
public:
    // False, with a message for the user in error, when the file is missing,
    // not a regular file or larger than largest bytes.
    static bool read(const QString &path, qint64 largest, QByteArray &bytes, QString &error);
    // The same checks without reading: true for a regular file of at most largest bytes.
    static bool check(const QString &path, qint64 largest, QString &error);
};
