// A unit's network-services reply (the body of its JSON read), rewritten and
// parsed into the list of units.
#include "discoveryreply.h"
#include "invariant.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), int(size));
    DiscoveryReply reply;
    reply.entries.append(DeviceEntry());
    const bool parsed = reply.parse(body);

    check(reply.rewritten == DiscoveryReply::rewrite(body), "parsing reads the rewritten reply");
    check(reply.rewritten.size() <= body.size(), "rewriting never lengthens the reply");
    check(!reply.rewritten.contains('\\'), "rewriting leaves no backslash");
    if (!parsed) {
        check(reply.entries.isEmpty(), "a reply that is not JSON lists no unit");
        check(!reply.errorText.isEmpty(), "a refused reply says why");
        // Qt places a string cut by the end of the text one past the end.
        check(reply.errorOffset >= 0 && reply.errorOffset <= reply.rewritten.size() + 1, "the error lies inside the reply");
        return 0;
    }
    // Each unit listed needs its own kind member in the reply.
    check(reply.entries.size() <= reply.rewritten.count("\"device_name \""), "no more units than kinds in the reply");
    for (const DeviceEntry &entry : reply.entries) {
        check(entry.deviceName == DiscoveryReply::prismoKind(), "only units of the controlled kind");
        check(!entry.ganged && !entry.current, "new entries carry no marks");
        check(entry.ipAddress == entry.ipAddress.simplified(), "addresses are simplified");
    }
    return 0;
}
