#include "linkcheck.h"

#include "tavirestconfigcontrol.h"
#include "unitidentity.h"

#include <chrono>
#include <cstdlib>

namespace {
using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string quoted(const std::string &text)
{
    return '"' + text + '"';
}

std::string dotted(std::uint32_t most, std::uint32_t least)
{
    return std::to_string(most >> 16) + '.' + std::to_string(most & 0xFFFF) + '.' + std::to_string(least >> 16)
        + '.' + std::to_string(least & 0xFFFF);
}

// The unit's software version: four bytes in one decimal number, major first.
bool softwareVersion(const std::string &text, std::string &version)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 10)
        return false;
    const unsigned long long number = std::strtoull(text.c_str(), nullptr, 10);
    if (number > 0xFFFFFFFFull)
        return false;
    version = std::to_string((number >> 24) & 0xFF) + '.' + std::to_string((number >> 16) & 0xFF) + '.'
        + std::to_string((number >> 8) & 0xFF) + '.' + std::to_string(number & 0xFF);
    return true;
}
} // namespace

LinkCheck::LinkCheck(int port, std::ostream &out)
    : m_port(port)
    , m_out(out)
{
}

bool LinkCheck::record(bool ok, const std::string &text)
{
    ++(ok ? m_passed : m_failed);
    m_out << (ok ? "ok   " : "FAIL ") << text << std::endl;
    return ok;
}

std::string LinkCheck::summary() const
{
    return std::to_string(m_passed) + " passed, " + std::to_string(m_failed) + " failed";
}

bool LinkCheck::identify(const std::string &unit)
{
    const std::string what = "identify " + unit + ": ";
    TAVIRESTConfigControl link(unit, m_port, "config");
    if (!link.Connect())
        return record(false, what + "cannot connect");
    std::string product;
    if (!link.GetParam(UnitIdentity::ProductIdParameter, product, "text-plain") || product != UnitIdentity::ProductId)
        return record(false, what + "product " + quoted(product) + ", expected " + UnitIdentity::ProductId);
    std::string name;
    if (!link.GetParam(UnitIdentity::SystemNameParameter, name, "text-plain") || name.empty())
        return record(false, what + "product " + product + ", no system name");
    std::string number;
    std::string version;
    if (!link.GetParam(UnitIdentity::SoftwareVersionParameter, number, "text-plain") || !softwareVersion(number, version))
        return record(false, what + "product " + product + ", name " + quoted(name) + ", software version "
                          + quoted(number) + " is not a number");
    return record(true, what + "product " + product + ", name " + quoted(name) + ", version " + version);
}

bool LinkCheck::setAndReadBack(const std::string &unit)
{
    const std::string what = "set and read back " + std::string(ProbeParameter) + " at " + unit + ": ";
    TAVIRESTConfigControl link(unit, m_port, "config");
    std::string original;
    if (!link.GetParam(ProbeParameter, original, "text-plain"))
        return record(false, what + "cannot read it");
    const std::string wanted = original == "1234" ? "1235" : "1234";
    if (!link.ChangeParam(ProbeParameter, wanted))
        return record(false, what + "was " + original + ", setting " + wanted + " refused");
    std::string readBack;
    if (!link.GetParam(ProbeParameter, readBack, "text-plain") || readBack != wanted)
        return record(false, what + "set " + wanted + ", read back " + quoted(readBack));
    std::string restored;
    if (!link.ChangeParam(ProbeParameter, original) || !link.GetParam(ProbeParameter, restored, "text-plain")
        || restored != original)
        return record(false, what + "set " + wanted + ", putting back " + original + " read " + quoted(restored));
    if (!link.isConnected())
        return record(false, what + "values right, but the connection was not kept alive");
    return record(true, what + original + " -> " + wanted + ", read back " + readBack + ", put back " + restored
                      + ", one kept-alive connection");
}

bool LinkCheck::reconnectAfterClose(const std::string &unit)
{
    const std::string what = "reconnect after Connection: close at " + unit + ": ";
    TAVIRESTConfigControl link(unit, m_port, "config");
    std::string first;
    if (!link.GetParam(UnitIdentity::ProductIdParameter, first, "text-plain") || first != UnitIdentity::ProductId)
        return record(false, what + "first request answered " + quoted(first));
    if (link.isConnected())
        return record(false, what + "the connection stayed open after the first reply");
    std::string second;
    if (!link.GetParam(UnitIdentity::ProductIdParameter, second, "text-plain") || second != UnitIdentity::ProductId)
        return record(false, what + "closed after the first reply, second request answered " + quoted(second));
    return record(true, what + "closed after the first reply, second request answered " + second
                      + " on a new connection");
}

bool LinkCheck::giveUpOnStall(const std::string &unit)
{
    const std::string what = "give up on stalled unit " + unit + ": ";
    TAVIRESTConfigControl link(unit, m_port, "config");
    if (!link.Connect())
        return record(false, what + "cannot connect");
    const auto start = Clock::now();
    std::string value;
    if (link.GetParam(UnitIdentity::ProductIdParameter, value, "text-plain"))
        return record(false, what + "it answered " + quoted(value));
    const long long waited = millisecondsSince(start);
    const std::string waitedText = "request failed after " + std::to_string(waited) + " ms (time-out "
        + std::to_string(TAVIRESTConfigControl::ReplyTimeoutMs) + " ms)";
    if (waited < TAVIRESTConfigControl::ReplyTimeoutMs - 50
        || waited > TAVIRESTConfigControl::ReplyTimeoutMs + TimeoutSlackMs)
        return record(false, what + waitedText);
    const auto again = Clock::now();
    const bool secondFailed = !link.GetParam(UnitIdentity::ProductIdParameter, value, "text-plain");
    const long long waitedAgain = millisecondsSince(again);
    if (!secondFailed || waitedAgain > ImmediateMs)
        return record(false, what + waitedText + ", next request took " + std::to_string(waitedAgain) + " ms");
    return record(true, what + waitedText + ", next request refused after " + std::to_string(waitedAgain)
                      + " ms (back-off)");
}

bool LinkCheck::versionRecord(bool found, std::uint32_t mostSignificant, std::uint32_t leastSignificant,
                              std::uint32_t expectedMost, std::uint32_t expectedLeast)
{
    const std::string what = "version resource: ";
    if (!found)
        return record(false, what + "no fixed file-version record");
    const bool ok = mostSignificant == expectedMost && leastSignificant == expectedLeast;
    return record(ok, what + "file version " + dotted(mostSignificant, leastSignificant)
                      + (ok ? "" : ", expected " + dotted(expectedMost, expectedLeast)));
}
