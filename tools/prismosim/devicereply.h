#pragma once

#include <QByteArray>

// What a unit answers to one request, before it is put on the wire.
struct DeviceReply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/plain";
};
