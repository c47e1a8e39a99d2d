#pragma once

#include "devicereply.h"
#include "devicerequest.h"
#include "parameterstore.h"
#include "serviceentry.h"

#include <QByteArray>
#include <QSet>
#include <QVector>

// The parameter interface of a unit: the answer to one request on
// /config, with action=get (alt=text-plain or json) or action=set.
class ParameterService
{
public:
    // Sets change the store. Parameters named in failing answer 500 and keep their value.
    static DeviceReply answer(const DeviceRequest &request, ParameterStore &store, const QSet<QByteArray> &failing,
                              const QVector<ServiceEntry> &services);
    // The answer to a request that could not be read.
    static DeviceReply refusal(DeviceRequest::Take problem);
};
