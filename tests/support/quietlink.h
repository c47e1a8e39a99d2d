#pragma once

#include "capturedoutput.h"
#include "tavirestconfigcontrol.h"

#include <optional>
#include <string>

// Requests through the device link whose console diagnostics are expected
// by the test and kept out of its output. Not for use on several threads at once.
inline std::optional<std::string> quietRead(TAVIRESTConfigControl &link, const std::string &name,
                                            const std::string &format = "text-plain")
{
    const CapturedOutput output;
    std::string value;
    if (!link.GetParam(name, value, format))
        return std::nullopt;
    return value;
}

inline bool quietChange(TAVIRESTConfigControl &link, const std::string &name, const std::string &value)
{
    const CapturedOutput output;
    return link.ChangeParam(name, value);
}
