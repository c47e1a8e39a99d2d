#include "capturedoutput.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
int tempFile()
{
    char name[] = "/tmp/prismolink-capture-XXXXXX";
    const int fd = mkstemp(name);
    unlink(name);
    return fd;
}
} // namespace

CapturedOutput::CapturedOutput()
{
    fflush(stdout);
    fflush(stderr);
    m_savedOut = dup(1);
    m_savedErr = dup(2);
    m_outFile = tempFile();
    m_errFile = tempFile();
    dup2(m_outFile, 1);
    dup2(m_errFile, 2);
}

CapturedOutput::~CapturedOutput()
{
    restore();
    close(m_outFile);
    close(m_errFile);
}

void CapturedOutput::restore()
{
    if (m_savedOut == -1)
        return;
    fflush(stdout);
    fflush(stderr);
    dup2(m_savedOut, 1);
    dup2(m_savedErr, 2);
    close(m_savedOut);
    close(m_savedErr);
    m_savedOut = m_savedErr = -1;
}

std::string CapturedOutput::readAll(int fd)
{
    std::string text;
    char buffer[4096];
    lseek(fd, 0, SEEK_SET);
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

std::string CapturedOutput::out()
{
    fflush(stdout);
    return readAll(m_outFile);
}

std::string CapturedOutput::err()
{
    fflush(stderr);
    return readAll(m_errFile);
}
