#pragma once

// Where the reply reader takes its bytes from: a socket in the program, a
// memory buffer in tests and fuzzing.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    // Waits for at least one byte. Returns the count received, 0 at the end
    // of the stream, or a negative number on failure or time-out.
    virtual int receive(char *buffer, int length) = 0;

    // Copies up to length bytes that can be had without waiting, without
    // consuming them. Returns the count copied (0 when nothing is there).
    virtual int peek(char *buffer, int length) = 0;
};
