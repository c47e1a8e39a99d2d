// prismo-linkcheck --port PORT --unit ADDRESS --closing ADDRESS --stalled ADDRESS
//
// Runs each check of LinkCheck against units of prismo-sim: --unit behaves,
// --closing has the "close" fault, --stalled the "stall" fault. On Windows it
// also reads the program's version resource, which it carries. Exits with 0
// only when every check passed.
#include "linkcheck.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#ifdef _WIN32
#include "moduleversion.h"
#endif

namespace {
int usage()
{
    std::cerr << "usage: prismo-linkcheck --port PORT --unit ADDRESS --closing ADDRESS --stalled ADDRESS\n"
                 "  --unit     a unit that behaves (prismo-sim without faults)\n"
                 "  --closing  a unit that closes after each reply (fault close)\n"
                 "  --stalled  a unit that never answers (fault stall)\n";
    return 2;
}
} // namespace

int main(int argc, char *argv[])
{
    int port = 0;
    std::string unit;
    std::string closing;
    std::string stalled;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--port") == 0 && hasValue) {
            char *end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value <= 0 || value > 65535)
                return usage();
            port = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--unit") == 0 && hasValue) {
            unit = argv[++i];
        } else if (std::strcmp(argv[i], "--closing") == 0 && hasValue) {
            closing = argv[++i];
        } else if (std::strcmp(argv[i], "--stalled") == 0 && hasValue) {
            stalled = argv[++i];
        } else {
            return usage();
        }
    }
    if (port == 0 || unit.empty() || closing.empty() || stalled.empty())
        return usage();

    // The link's own diagnostics go to the console too; keep them in order.
    std::cout << std::unitbuf;
    LinkCheck check(port, std::cout);
#ifdef _WIN32
    std::uint32_t most = 0;
    std::uint32_t least = 0;
    const bool found = ModuleVersion::read(most, least);
    check.versionRecord(found, most, least, (PRISMOLINK_VERSION_MAJOR << 16) | PRISMOLINK_VERSION_MINOR,
                        (PRISMOLINK_VERSION_PATCH << 16) | PRISMOLINK_VERSION_TWEAK);
#endif
    check.identify(unit);
    check.setAndReadBack(unit);
    check.reconnectAfterClose(closing);
    check.giveUpOnStall(stalled);
    std::cout << check.summary() << std::endl;
    return check.failed() == 0 ? 0 : 1;
}
