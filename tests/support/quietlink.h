#pragma once

#include "linklogcapture.h"
#include "tavirestconfigcontrol.h"

#include <optional>
#include <string>

// Requests through the device link whose diagnostics are expected by the
// test and kept out of its output.
inline std::optional<std::string> quietRead(TAVIRESTConfigControl &link, const std::string &name,
                                            const std::string &format = "text-plain")
{
    const LinkLogCapture output;
    std::string value;
    if (!link.GetParam(name, value, format))
        return std::nullopt;
    return value;
}

inline bool quietChange(TAVIRESTConfigControl &link, const std::string &name, const std::string &value)
{
    const LinkLogCapture output;
    return link.ChangeParam(name, value);
}
