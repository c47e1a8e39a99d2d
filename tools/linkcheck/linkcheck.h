#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Tries the device link against units that behave in known ways and prints
// one line per check, beginning with "ok" or "FAIL" and saying what was seen.
// Each check makes its own link, as the program does for each unit.
class LinkCheck
{
public:
    // Changed by the set-and-read-back check, which puts the old value back.
    static constexpr const char *ProbeParameter = "eParamID_Vid1ColorHDRSaturation";
    // Room for a loaded machine (or Wine) beyond the link's own time-out.
    static constexpr int TimeoutSlackMs = 1500;
    // A request during the back-off must fail at once, well within this.
    static constexpr int ImmediateMs = 300;

    LinkCheck(int port, std::ostream &out);

    // Connects, then reads the product ("KVEL"), the system name and the
    // software version.
    bool identify(const std::string &unit);
    // Sets a value different from the unit's, reads it back, puts the old
    // value back and reads that back, all on one kept-alive connection.
    bool setAndReadBack(const std::string &unit);
    // At a unit that answers "Connection: close", the link is closed after
    // the reply and the next request connects again and is answered.
    bool reconnectAfterClose(const std::string &unit);
    // At a unit that accepts connections and never answers, a request fails
    // after the reply time-out, not sooner and not much later, and the next
    // one fails at once.
    bool giveUpOnStall(const std::string &unit);
    // The program's version resource as the running executable carries it.
    bool versionRecord(bool found, std::uint32_t mostSignificant, std::uint32_t leastSignificant,
                       std::uint32_t expectedMost, std::uint32_t expectedLeast);

    int passed() const { return m_passed; }
    int failed() const { return m_failed; }
    // "N passed, N failed"
    std::string summary() const;

private:
    bool record(bool ok, const std::string &text);

    int m_port;
    std::ostream &m_out;
    int m_passed = 0;
    int m_failed = 0;
};
