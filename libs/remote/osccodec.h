#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <variant>

// One OSC message, both ways: its address, its type tag string and its
// arguments, each big-endian and every part padded with NULs to a multiple
// of four bytes. The program's own, so that every build of it has OSC, the
// Windows one made from Debian's sources alone included; the tests check it
// against liblo.
class OscCodec
{
public:
    // A message as the program reads it.
    struct Message
    {
        QByteArray path;       // the address, as it stands (OscPacket checks that it starts with '/')
        QByteArray types;      // the type tags, without the leading ','
        QList<double> numbers; // each argument as a number (i h f d, T 1, F 0; NaN for the others)
        QStringList texts;     // each argument as text (s S; empty for the others)
    };
    // An argument of a message the program sends.
    using Argument = std::variant<qint32, float, QString>;

    // Decodes one message; false, leaving the message as it was, when the
    // bytes are malformed: a string unterminated or not padded with NULs, a
    // type tag string not starting with ',', an argument past the end or
    // bytes after the last, a size not a multiple of four, or a type tag
    // whose size cannot be known. Takes the tags i f s b h t d S c m T F N I.
    static bool decode(const QByteArray &bytes, Message &message);
    // The message of the address and the arguments (tags i, f and s). A
    // string ends at its first NUL, as it would in C.
    static QByteArray encode(const QByteArray &address, const QVector<Argument> &arguments);
};
