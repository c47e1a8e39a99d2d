#pragma once

#include <string>

// Captures what the code under test writes to standard output and standard
// error (the device link's console diagnostics) while it lives.
class CapturedOutput
{
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput &) = delete;
    CapturedOutput &operator=(const CapturedOutput &) = delete;

    std::string out();
    std::string err();

private:
    void restore();
    static std::string readAll(int fd);

    int m_savedOut = -1;
    int m_savedErr = -1;
    int m_outFile = -1;
    int m_errFile = -1;
};
