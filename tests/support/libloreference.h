#pragma once

#include "osccodec.h"

#include <lo/lo.h>

#include <cmath>

// Whether liblo, the reference, reads a message as the codec did: both refuse
// it, or both take it with the same address, type tags and values.
inline bool libloAgrees(QByteArray bytes, bool taken, const OscCodec::Message &ours)
{
    int result = 0;
    const lo_message theirs = lo_message_deserialise(bytes.data(), size_t(bytes.size()), &result);
    bool same = theirs && taken && ours.path == lo_get_path(bytes.data(), bytes.size())
             && ours.types == lo_message_get_types(theirs);
    // liblo's arguments are only 4-byte aligned: texts are read as bytes, not
    // through the union.
    lo_arg **argv = same ? lo_message_get_argv(theirs) : nullptr;
    for (int i = 0; same && i < ours.types.size(); ++i) {
        const auto type = lo_type(ours.types.at(i));
        const bool number = type == LO_INT32 || type == LO_INT64 || type == LO_FLOAT || type == LO_DOUBLE;
        const double value = number ? double(lo_hires_val(type, argv[i])) : type == LO_TRUE ? 1 : type == LO_FALSE ? 0 : NAN;
        same = (ours.numbers[i] == value || (std::isnan(ours.numbers[i]) && std::isnan(value)))
            && ours.texts[i] == (type == LO_STRING || type == LO_SYMBOL ? QString::fromUtf8(reinterpret_cast<const char *>(argv[i])) : QString());
    }
    if (theirs)
        lo_message_free(theirs);
    return same || (!theirs && !taken);
}
