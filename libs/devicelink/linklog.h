#pragma once

#include <string>

// Where the device link's diagnostics go. By default each line is written
// to standard output or standard error as it always was; the program hands
// them to its logging instead, so a user can switch them on and off. Lines
// may come from any thread.
class LinkLog
{
public:
    enum class Stream { Output, Error };
    using Sink = void (*)(Stream stream, const std::string &line);

    // Set once, before any link is used.
    static void setSink(Sink sink);

    static void print(Stream stream, const char *format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    // "what: reason", as perror would write it, with the reason given.
    static void failure(const char *what, const std::string &reason);
    // "what: " and the text of the current error number.
    static void errnoFailure(const char *what);
};
