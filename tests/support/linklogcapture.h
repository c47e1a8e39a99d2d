#pragma once

#include "linklog.h"

#include <mutex>
#include <string>

// Keeps the device link's diagnostics out of the test's output while it
// lives: the lines meant for standard error are collected (from any
// thread), the others dropped.
class LinkLogCapture
{
public:
    LinkLogCapture()
    {
        const std::lock_guard<std::mutex> lock(s_mutex);
        s_errors.clear();
        LinkLog::setSink(&collect);
    }
    ~LinkLogCapture() { LinkLog::setSink(nullptr); }
    LinkLogCapture(const LinkLogCapture &) = delete;
    LinkLogCapture &operator=(const LinkLogCapture &) = delete;

    // The lines for standard error since the capture began.
    std::string err() const
    {
        const std::lock_guard<std::mutex> lock(s_mutex);
        return s_errors;
    }

private:
    static void collect(LinkLog::Stream stream, const std::string &line)
    {
        const std::lock_guard<std::mutex> lock(s_mutex);
        if (stream == LinkLog::Stream::Error)
            s_errors += line;
    }

    static inline std::mutex s_mutex;
    static inline std::string s_errors;
};
