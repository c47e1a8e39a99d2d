#include "linklog.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
void standardStreams(LinkLog::Stream stream, const std::string &line)
{
    std::fputs(line.c_str(), stream == LinkLog::Stream::Output ? stdout : stderr);
}

std::atomic<LinkLog::Sink> currentSink{&standardStreams};
} // namespace

void LinkLog::setSink(Sink sink)
{
    currentSink = sink ? sink : &standardStreams;
}

void LinkLog::print(Stream stream, const char *format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    currentSink.load()(stream, line);
}

void LinkLog::failure(const char *what, const std::string &reason)
{
    currentSink.load()(Stream::Error, std::string(what) + ": " + reason + "\n");
}

void LinkLog::errnoFailure(const char *what)
{
    failure(what, std::strerror(errno));
}
