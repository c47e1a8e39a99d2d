#include "oscserver.h"
#include "logcategories.h"

#include "hdrcontroller.h"
#include "lookfile.h"
#include "oscpacket.h"
#include "oscrouter.h"
#include "parametercatalogue.h"
#include "unitchooser.h"

#include <QDebug>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QVariant>

#include <lo/lo.h>

#include <algorithm>

using PC = ParameterCatalogue;

namespace {
// Packets read at one go before the event loop gets its turn again.
constexpr int PacketsPerTurn = 64;

QByteArray serialise(const QByteArray &address, const QByteArray &types, const QVariantList &values)
{
    lo_message message = lo_message_new();
    for (int i = 0; i < types.size(); ++i) {
        switch (types[i]) {
        case 'f': lo_message_add_float(message, values[i].toFloat()); break;
        case 'i': lo_message_add_int32(message, values[i].toInt()); break;
        default: lo_message_add_string(message, values[i].toString().toUtf8().constData()); break;
        }
    }
    QByteArray bytes(int(lo_message_length(message, address.constData())), '\0');
    size_t size = size_t(bytes.size());
    lo_message_serialise(message, address.constData(), bytes.data(), &size);
    lo_message_free(message);
    bytes.resize(int(size));
    return bytes;
}
} // namespace

quint64 OscServer::Counters::ignored() const
{
    return unknownAddress + badArguments + outOfRange + malformed + tooDeep + flood + notAllowed + lookNotFound;
}

OscServer::OscServer(HdrController &controller, const OscOptions &options, LookFinder findLook, QObject *parent)
    : QObject(parent), m_controller(controller), m_options(options), m_findLook(std::move(findLook)),
      m_socket(new QUdpSocket(this))
{
    m_clock.start();
    m_feedbackTimer.setSingleShot(true);
    connect(&m_feedbackTimer, &QTimer::timeout, this, &OscServer::flushFeedback);
    m_logTimer.setInterval(1000);
    connect(&m_logTimer, &QTimer::timeout, this, &OscServer::logIgnored);
    connect(m_socket, &QUdpSocket::readyRead, this, &OscServer::readPackets);

    connect(&controller, &HdrController::parameterChanged, this, [this](int slot, int value) {
        if (m_subscribers.isEmpty())
            return;
        const bool number = PC::slot(slot).kind == PC::Kind::Scaled || PC::slot(slot).kind == PC::Kind::Nits;
        queueFeedback(OscRouter::address(slot), number ? "f" : "i", {OscRouter::remoteValue(slot, value)});
    });
    connect(&controller.units(), &UnitChooser::channelsChanged, this, &OscServer::sendState);
    connect(&controller.units(), &UnitChooser::devicesChanged, this, &OscServer::sendState);
    connect(&controller, &HdrController::looksChanged, this, &OscServer::sendState);
}

OscServer::~OscServer() = default;

bool OscServer::start(QString *error)
{
    // Another program on the port would take some of the messages meant for this one.
    if (!m_socket->bind(m_options.listen, m_options.port, QUdpSocket::DontShareAddress)) {
        if (error)
            *error = m_socket->errorString();
        return false;
    }
    m_logTimer.start();
    return true;
}

quint16 OscServer::port() const
{
    return m_socket->localPort();
}

void OscServer::readPackets()
{
    for (int read = 0; read < PacketsPerTurn && m_socket->hasPendingDatagrams(); ++read) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(OscPacket::LargestPacket + 1);
        handle(datagram.data(), datagram.senderAddress());
    }
    // A flood is worked off a portion at a time, between the window's own events.
    if (m_socket->hasPendingDatagrams())
        QTimer::singleShot(0, this, &OscServer::readPackets);
}

void OscServer::handle(const QByteArray &packet, const QHostAddress &sender)
{
    const qint64 now = m_clock.elapsed();
    if (now - m_windowStartMs >= 1000) {
        m_windowStartMs = now;
        m_packetsInWindow = 0;
    }
    if (++m_packetsInWindow > MostPacketsPerSecond) {
        ++m_counters.flood;
        return;
    }
    if (!m_options.allows(sender)) {
        ++m_counters.notAllowed;
        return;
    }
    for (Subscriber &subscriber : m_subscribers) {
        if (subscriber.address.isEqual(sender))
            subscriber.lastHeardMs = now;
    }
    QVector<QByteArray> messages;
    switch (OscPacket::split(packet, messages)) {
    case OscPacket::Fault::Malformed:
        ++m_counters.malformed;
        return;
    case OscPacket::Fault::TooDeep:
        ++m_counters.tooDeep;
        return;
    case OscPacket::Fault::None:
        break;
    }
    for (const QByteArray &bytes : messages) {
        OscRouter::Message message;
        if (!OscRouter::decode(bytes, message)) {
            ++m_counters.malformed;
            continue;
        }
        const OscRouter::Result result = OscRouter::route(message);
        if (const auto *refusal = std::get_if<OscRouter::Refusal>(&result)) {
            switch (*refusal) {
            case OscRouter::Refusal::UnknownAddress: ++m_counters.unknownAddress; break;
            case OscRouter::Refusal::BadArguments: ++m_counters.badArguments; break;
            case OscRouter::Refusal::OutOfRange: ++m_counters.outOfRange; break;
            }
            continue;
        }
        qCDebug(lcOsc).noquote() << "OSC: obeying" << message.path << message.types;
        obey(std::get<RemoteRequest>(result), sender);
    }
}

void OscServer::obey(const RemoteRequest &request, const QHostAddress &sender)
{
    HdrController &c = m_controller;
    using K = RemoteRequest::Kind;
    const auto submit = [&c](Input::Kind kind, int slot = -1, int value = 0) {
        c.submit(Input::of(kind, c.current(), slot, value));
    };
    switch (request.kind) {
    case K::Set:
        submit(Input::Kind::Set, request.slot, request.value);
        break;
    case K::Nudge:
        submit(Input::Kind::Nudge, request.slot, request.value);
        break;
    case K::Reset:
        submit(Input::Kind::Reset, request.slot);
        break;
    case K::ResetAll:
        submit(Input::Kind::ResetAll);
        break;
    case K::Channel:
        c.submit(Input::selectChannel(request.value));
        break;
    case K::Unit:
        c.submit(Input::selectUnit(request.text));
        break;
    case K::RecallLook: {
        const QString path = m_findLook ? m_findLook(request.text) : QString();
        LookFile::Contents contents;
        QString error;
        if (path.isEmpty() || !LookFile::load(path, contents, error)) {
            ++m_counters.lookNotFound;
            return;
        }
        Input recall = Input::of(Input::Kind::RecallLook, c.current());
        recall.look = contents.look;
        c.submit(recall);
        break;
    }
    case K::Undo:
        submit(Input::Kind::Undo);
        break;
    case K::Redo:
        submit(Input::Kind::Redo);
        break;
    case K::StoreA:
        submit(Input::Kind::StoreA);
        break;
    case K::StoreB:
        submit(Input::Kind::StoreB);
        break;
    case K::ToggleLooks:
        submit(Input::Kind::ToggleLooks);
        break;
    case K::MatchGang:
        submit(Input::Kind::MatchGang);
        break;
    case K::Subscribe: {
        // A subscriber already known was heard from as the packet came in.
        const bool known = std::any_of(m_subscribers.cbegin(), m_subscribers.cend(), [&](const Subscriber &s) {
            return s.address.isEqual(sender) && s.port == request.value;
        });
        if (!known)
            m_subscribers.append({sender, quint16(request.value), m_clock.elapsed()});
        sendState();
        break;
    }
    case K::Unsubscribe:
        m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                           [&](const Subscriber &s) {
                                               return s.address.isEqual(sender) && s.port == request.value;
                                           }),
                            m_subscribers.end());
        break;
    }
}

// The current unit and channel, the A/B state and each unit's state.
void OscServer::sendState()
{
    if (m_subscribers.isEmpty())
        return;
    const HdrController &c = m_controller;
    const UnitChooser &units = c.units();
    const QByteArray root = OscRouter::Root;
    const int current = units.deviceIndex();
    queueFeedback(root + "/unit", "ss",
                  {current >= 0 ? units.devices()[current].hostName.trimmed() : QString(), c.current().unit});
    queueFeedback(root + "/channel", "i", {c.current().channel});
    queueFeedback(root + "/ab", "si", {AbMemory::name(c.liveLook()), c.liveLookChanged() ? 1 : 0});
    for (const DeviceEntry &entry : units.devices()) {
        const QString state = units.unitState(entry.ipAddress);
        if (!state.isEmpty())
            queueFeedback(root + "/state/" + entry.hostName.trimmed().toUtf8(), "s", {state});
    }
}

void OscServer::queueFeedback(const QByteArray &address, const QByteArray &types, const QVariantList &values)
{
    if (m_subscribers.isEmpty())
        return;
    m_pending.insert(address, qMakePair(types, values));
    if (!m_feedbackTimer.isActive())
        m_feedbackTimer.start(FeedbackIntervalMs);
}

// Each address at most once a feedback interval: what changed meanwhile
// waits for the next, and only its latest value goes out.
void OscServer::flushFeedback()
{
    const qint64 now = m_clock.elapsed();
    m_subscribers.erase(std::remove_if(m_subscribers.begin(), m_subscribers.end(),
                                       [now](const Subscriber &s) { return now - s.lastHeardMs > SubscriptionMs; }),
                        m_subscribers.end());
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
        const QByteArray bytes = serialise(it.key(), it.value().first, it.value().second);
        for (const Subscriber &subscriber : qAsConst(m_subscribers))
            m_socket->writeDatagram(bytes, subscriber.address, subscriber.port);
    }
    m_pending.clear();
}

void OscServer::logIgnored()
{
    const quint64 ignored = m_counters.ignored();
    if (ignored == m_ignoredLogged)
        return;
    const Counters &c = m_counters;
    qCInfo(lcOsc).noquote() << QStringLiteral("OSC: %1 messages ignored so far (unknown address %2, bad arguments %3, out of "
                                        "range %4, malformed %5, nested too deep %6, over the rate %7, sender not "
                                        "allowed %8, look not found %9)")
                             .arg(ignored)
                             .arg(c.unknownAddress)
                             .arg(c.badArguments)
                             .arg(c.outOfRange)
                             .arg(c.malformed)
                             .arg(c.tooDeep)
                             .arg(c.flood)
                             .arg(c.notAllowed)
                             .arg(c.lookNotFound);
    m_ignoredLogged = ignored;
}
