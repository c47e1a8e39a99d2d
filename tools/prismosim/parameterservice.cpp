#include "parameterservice.h"

#include "networkservices.h"
#include "unitidentity.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
DeviceReply failure(int status, const QByteArray &text)
{
    return {status, text, "text/plain"};
}

DeviceReply read(const QByteArray &name, const QByteArray &format, const ParameterStore &store,
                 const QVector<ServiceEntry> &services)
{
    const bool json = format == "json";
    if (name == UnitIdentity::NetworkServicesParameter) {
        if (json)
            return {200, NetworkServices::jsonReply(services), "application/json"};
        return {200, NetworkServices::listText(services), "text/plain"};
    }
    const std::optional<QByteArray> value = store.value(name);
    if (!value)
        return failure(404, "unknown parameter " + name);
    if (json) {
        const QJsonObject object{{QStringLiteral("value"), QString::fromUtf8(*value)}};
        return {200, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json"};
    }
    return {200, *value, "text/plain"};
}

DeviceReply write(const QByteArray &name, const DeviceRequest &request, ParameterStore &store)
{
    bool hasValue = false;
    const QByteArray value = request.queryItem("value", &hasValue);
    if (!hasValue)
        return failure(400, "a set needs a value");
    if (name == UnitIdentity::NetworkServicesParameter)
        return failure(400, "read-only parameter " + name);
    switch (store.set(name, value)) {
    case ParameterStore::SetResult::Stored: return {200, value, "text/plain"};
    case ParameterStore::SetResult::Unknown: return failure(404, "unknown parameter " + name);
    case ParameterStore::SetResult::ReadOnly: return failure(400, "read-only parameter " + name);
    case ParameterStore::SetResult::BadValue: break;
    }
    return failure(400, "the value of " + name + " must be a decimal integer");
}
} // namespace

DeviceReply ParameterService::answer(const DeviceRequest &request, ParameterStore &store,
                                     const QSet<QByteArray> &failing, const QVector<ServiceEntry> &services)
{
    if (request.method() != "GET")
        return failure(405, "only GET is served");
    if (request.path() != "/config")
        return failure(404, "no such page");

    const QByteArray action = request.queryItem("action");
    const QByteArray name = request.queryItem("paramid");
    if (action != "get" && action != "set")
        return failure(400, "action must be get or set");
    if (name.isEmpty())
        return failure(400, "paramid is missing");
    if (failing.contains(name))
        return failure(500, "internal error");

    if (action == "set")
        return write(name, request, store);
    bool hasFormat = false;
    const QByteArray format = request.queryItem("alt", &hasFormat);
    if (hasFormat && format != "text-plain" && format != "json")
        return failure(400, "alt must be text-plain or json");
    return read(name, format, store, services);
}

DeviceReply ParameterService::refusal(DeviceRequest::Take problem)
{
    if (problem == DeviceRequest::Take::TooLarge)
        return failure(431, "request too large");
    return failure(400, "malformed request");
}
