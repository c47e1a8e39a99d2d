#include "oscserver.h"
#include "logcategories.h"

#include "hdrcontroller.h"
#include "lookfile.h"
#include "osccodec.h"
#include "osccommand.h"
#include "oscpacket.h"
#include "oscrouter.h"
#include "parametercatalogue.h"
#include "unitchooser.h"

#include <QDebug>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>

using PC = ParameterCatalogue;

namespace {
// An IPv4 sender that arrives mapped into IPv6 is the same sender.
QHostAddress plain(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QByteArray secretKey()
{
    QByteArray key(32, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(key.data()), key.size() / 4);
    return key;
}

QByteArray rooted(const char *path)
{
    return QByteArray(OscCommand::Root) + '/' + path;
}
} // namespace

quint64 OscServer::Counters::ignored() const
{
    return unknownAddress + badArguments + outOfRange + malformed + tooDeep + overBudget + notAllowed + lookNotFound
         + notSubscribed + subscribersFull;
}

OscServer::OscServer(HdrController &controller, const OscOptions &options, LookFinder findLook, QObject *parent)
    : QObject(parent), m_controller(controller), m_options(options), m_findLook(std::move(findLook)),
      m_socket(new QUdpSocket(this)), m_subscriptions(secretKey())
{
    m_clock.start();
    m_feedbackTimer.setSingleShot(true);
    connect(&m_feedbackTimer, &QTimer::timeout, this, &OscServer::flushFeedback);
    m_secondTimer.setInterval(1000);
    connect(&m_secondTimer, &QTimer::timeout, this, &OscServer::everySecond);
    connect(m_socket, &QUdpSocket::readyRead, this, &OscServer::readPackets);

    connect(&controller, &HdrController::parameterChanged, this, [this](int slot, int) {
        if (PC::slot(slot).remoteName)
            queueFeedback(parameterFeedback(slot));
    });
    connect(&controller.units(), &UnitChooser::channelsChanged, this, &OscServer::queueState);
    connect(&controller.units(), &UnitChooser::devicesChanged, this, &OscServer::queueState);
    connect(&controller, &HdrController::looksChanged, this, &OscServer::queueState);
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
    m_secondTimer.start();
    return true;
}

quint16 OscServer::port() const
{
    return m_socket->localPort();
}

// Reads what has arrived. Reading only here, as the socket announces it,
// keeps the announcements coming: the socket announces again at the next
// turn of the event loop while anything is left.
void OscServer::readPackets()
{
    for (int read = 0; read < MostPacketsPerTurn && m_socket->hasPendingDatagrams(); ++read) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(OscPacket::LargestPacket + 1);
        handle(datagram.data(), plain(datagram.senderAddress()), quint16(datagram.senderPort()));
    }
}

void OscServer::handle(const QByteArray &packet, const QHostAddress &sender, quint16 senderPort)
{
    const qint64 now = m_clock.elapsed();
    if (!m_options.allows(sender)) {
        ++m_counters.notAllowed;
        return;
    }
    QVector<QByteArray> messages;
    const OscPacket::Fault fault = OscPacket::split(packet, messages);
    // A sender that has spent its budget costs no decoding.
    if (m_budget.spent(sender, now)) {
        m_counters.overBudget += quint64(std::max(1, int(messages.size())));
        return;
    }
    switch (fault) {
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
        if (!OscCodec::decode(bytes, message)) {
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
        const RemoteRequest &request = std::get<RemoteRequest>(result);
        if (!m_budget.take(sender, request.cost, now)) {
            ++m_counters.overBudget;
            continue;
        }
        qCDebug(lcOsc).noquote() << "OSC: obeying" << message.path << message.types;
        obey(request, sender, senderPort);
    }
}

void OscServer::obey(const RemoteRequest &request, const QHostAddress &sender, quint16 senderPort)
{
    if (request.query) {
        answer(request, sender);
        return;
    }
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
    case K::Subscribe:
        subscribe(request, sender, senderPort);
        break;
    case K::Unsubscribe:
        if (m_subscriptions.unsubscribe(sender, quint16(request.value), request.cookie.value_or(0))
            != OscSubscriptions::Outcome::Ended)
            ++m_counters.notSubscribed;
        break;
    }
}

void OscServer::subscribe(const RemoteRequest &request, const QHostAddress &sender, quint16 senderPort)
{
    const quint16 port = request.value > 0 ? quint16(request.value) : senderPort;
    switch (m_subscriptions.subscribe(sender, port, request.cookie, m_clock.elapsed())) {
    case OscSubscriptions::Outcome::Challenge:
        // No larger than the request: the port and the cookie to send back.
        send({rooted("subscribe"), {qint32(port), qint32(m_subscriptions.cookie(sender, port))}}, sender, port);
        break;
    case OscSubscriptions::Outcome::Confirmed: {
        qCInfo(lcOsc).noquote() << QStringLiteral("OSC: %1 port %2 subscribed").arg(sender.toString()).arg(port);
        for (int slot = 0; slot < PC::SlotCount; ++slot) {
            if (PC::slot(slot).remoteName)
                send(parameterFeedback(slot), sender, port);
        }
        for (const Feedback &feedback : stateFeedback())
            send(feedback, sender, port);
        break;
    }
    case OscSubscriptions::Outcome::Full:
        ++m_counters.subscribersFull;
        break;
    case OscSubscriptions::Outcome::Renewed:
    case OscSubscriptions::Outcome::Ended:
    case OscSubscriptions::Outcome::Unknown:
        break;
    }
}

// A query's answer goes to the sender's confirmed subscriptions only.
void OscServer::answer(const RemoteRequest &query, const QHostAddress &sender)
{
    const QList<OscSubscriptions::Subscriber> subscriptions = m_subscriptions.at(sender);
    if (subscriptions.isEmpty()) {
        ++m_counters.notSubscribed;
        return;
    }
    Feedback feedback;
    if (query.kind == RemoteRequest::Kind::Set) {
        feedback = parameterFeedback(query.slot);
    } else {
        const QByteArray wanted = rooted(query.kind == RemoteRequest::Kind::Channel ? "channel" : "unit");
        for (const Feedback &state : stateFeedback()) {
            if (state.address == wanted)
                feedback = state;
        }
    }
    for (const OscSubscriptions::Subscriber &subscriber : subscriptions)
        send(feedback, subscriber.address, subscriber.port);
}

OscServer::Feedback OscServer::parameterFeedback(int slot) const
{
    const bool number = PC::slot(slot).kind == PC::Kind::Scaled || PC::slot(slot).kind == PC::Kind::Nits;
    const double value = OscRouter::remoteValue(slot, m_controller.value(slot));
    return {OscRouter::address(slot), {number ? OscCodec::Argument(float(value)) : OscCodec::Argument(qint32(qRound(value)))}};
}

// The current unit and channel, the A/B state and each unit's state.
QList<OscServer::Feedback> OscServer::stateFeedback() const
{
    const HdrController &c = m_controller;
    const UnitChooser &units = c.units();
    const int current = units.deviceIndex();
    QList<Feedback> state{
        {rooted("unit"), {current >= 0 ? units.devices()[current].hostName.trimmed() : QString(), c.current().unit}},
        {rooted("channel"), {qint32(c.current().channel)}},
        {rooted("ab"), {AbMemory::name(c.liveLook()), qint32(c.liveLookChanged() ? 1 : 0)}},
    };
    for (const DeviceEntry &entry : units.devices()) {
        const QString unitState = units.unitState(entry.ipAddress);
        if (!unitState.isEmpty())
            state.append({rooted("state/") + entry.hostName.trimmed().toUtf8(), {unitState}});
    }
    return state;
}

void OscServer::send(const Feedback &feedback, const QHostAddress &address, quint16 port)
{
    m_socket->writeDatagram(OscCodec::encode(feedback.address, feedback.arguments), address, port);
}

void OscServer::queueFeedback(const Feedback &feedback)
{
    if (m_subscriptions.subscribers().isEmpty())
        return;
    m_pending.insert(feedback.address, feedback);
    if (!m_feedbackTimer.isActive())
        m_feedbackTimer.start(FeedbackIntervalMs);
}

void OscServer::queueState()
{
    if (m_subscriptions.subscribers().isEmpty())
        return;
    for (const Feedback &feedback : stateFeedback())
        queueFeedback(feedback);
}

// Each address at most once a feedback interval: what changed meanwhile
// waits for the next, and only its latest value goes out.
void OscServer::flushFeedback()
{
    m_subscriptions.expire(m_clock.elapsed());
    for (const Feedback &feedback : qAsConst(m_pending)) {
        const QByteArray bytes = OscCodec::encode(feedback.address, feedback.arguments);
        for (const OscSubscriptions::Subscriber &subscriber : m_subscriptions.subscribers())
            m_socket->writeDatagram(bytes, subscriber.address, subscriber.port);
    }
    m_pending.clear();
}

void OscServer::everySecond()
{
    m_subscriptions.expire(m_clock.elapsed());
    const quint64 ignored = m_counters.ignored();
    if (ignored == m_ignoredLogged)
        return;
    const Counters &c = m_counters;
    qCInfo(lcOsc).noquote() << QStringLiteral("OSC: %1 messages ignored so far (unknown address %2, bad arguments %3, out of "
                                              "range %4, malformed %5, nested too deep %6, over the budget %7, sender not "
                                              "allowed %8, look not found %9, not subscribed %10, subscribers full %11)")
                                   .arg(ignored)
                                   .arg(c.unknownAddress)
                                   .arg(c.badArguments)
                                   .arg(c.outOfRange)
                                   .arg(c.malformed)
                                   .arg(c.tooDeep)
                                   .arg(c.overBudget)
                                   .arg(c.notAllowed)
                                   .arg(c.lookNotFound)
                                   .arg(c.notSubscribed)
                                   .arg(c.subscribersFull);
    m_ignoredLogged = ignored;
}
