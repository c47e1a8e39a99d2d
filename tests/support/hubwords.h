#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>
#include <initializer_list>

// The hub protocol's big-endian words, reals and length-framed messages, as
// the tests write them by hand.
inline QByteArray words(std::initializer_list<quint32> values)
{
    QByteArray out;
    for (quint32 v : values) {
        char w[4];
        qToBigEndian(v, w);
        out.append(w, 4);
    }
    return out;
}

inline QByteArray real(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, 4);
    return words({bits});
}

inline QByteArray framed(const QByteArray &body)
{
    return words({quint32(body.size())}) + body;
}
