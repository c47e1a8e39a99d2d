#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QString tooLarge(qint64 size, qint64 largest)
{
    return QStringLiteral("The file is too large (%1 bytes; at most %2 are read).").arg(size).arg(largest);
}

#ifdef Q_OS_UNIX
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Why a file of this kind is not read; empty for a regular file.
QString refusal(const struct stat &status, qint64 largest)
{
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("It is a folder, not a file.");
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return QStringLiteral("It is a pipe or a socket, not a file; it is not read.");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("It is a device, not a file; it is not read.");
    if (status.st_size > largest)
        return tooLarge(status.st_size, largest);
    return QString();
}
#endif
} // namespace

bool RegularFile::check(const QString &path, qint64 largest, QString &error)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        error = systemError();
        return false;
    }
    error = refusal(status, largest);
#else
    const QFileInfo info(path);
    if (!info.exists())
        error = QStringLiteral("No such file.");
    else if (info.isDir())
        error = QStringLiteral("It is a folder, not a file.");
    else if (!info.isFile())
        error = QStringLiteral("It is not a file; it is not read.");
    else if (info.size() > largest)
        error = tooLarge(info.size(), largest);
#endif
    return error.isEmpty();
}

bool RegularFile::read(const QString &path, qint64 largest, QByteArray &bytes, QString &error)
{
    error.clear();
    // Looked at before it is opened, so a device is never opened at all.
    if (!check(path, largest, error))
        return false;
    QFile file;
#ifdef Q_OS_UNIX
    // Without blocking, in case a pipe took the file's place since: the
    // opened file is looked at again.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        error = systemError();
        return false;
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !(error = refusal(status, largest)).isEmpty()) {
        if (error.isEmpty())
            error = systemError();
        ::close(descriptor);
        return false;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        error = file.errorString();
        return false;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
#endif
    // A file that grew since it was looked at is read no further than one byte past the bound.
    bytes = file.read(largest + 1);
    if (bytes.size() > largest) {
        error = tooLarge(file.size(), largest);
        bytes.clear();
        return false;
    }
    return true;
}
