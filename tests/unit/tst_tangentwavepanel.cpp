#include "hubwords.h"
#include "scriptedserver.h"
#include "tangentwavepanel.h"

#include <QtTest>

#include <memory>

namespace {
// The hub's side, on a thread of its own: it greets each connection with the
// greeting it was given and records what the program sends; the test's
// bytes go out one piece per turn. A deaf hub never reads.
std::unique_ptr<ScriptedServer> fakeHub(const QByteArray &greeting, bool deaf = false)
{
    return std::make_unique<ScriptedServer>(
        [greeting](ScriptedServer::Connection &c, const std::string &bytes) {
            if (bytes.empty())
                c.send(greeting.toStdString());
        },
        ScriptedServer::Options{true, deaf});
}

void sendTo(ScriptedServer &hub, const QByteArray &bytes)
{
    hub.sendLater(bytes.toStdString());
}

QByteArray received(const ScriptedServer &hub)
{
    QByteArray all;
    for (const std::string &piece : hub.requests())
        all += QByteArray::fromStdString(piece);
    return all;
}
} // namespace

class TestTangentWavePanel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void greetingAndDisplayWrites();
    void replies();
    void events();
    void hubThatStopsReadingIsDropped();

private:
    void connectAndGreet();

    std::unique_ptr<ScriptedServer> hub;
    std::unique_ptr<tangentWavePanel> panel;
};

namespace {
constexpr int Timeout = 20000;
const QByteArray greeting = framed(words({0x01, 5, 1, 0x0C, 0x10}));
const QByteArray appDefinition = words({0x24, 0x81, 20}) + "Marvendolquistraband" + words({0, 0});
} // namespace

void TestTangentWavePanel::cleanup()
{
    panel.reset();
    hub.reset();
}

void TestTangentWavePanel::connectAndGreet()
{
    hub = fakeHub(greeting);
    panel = std::make_unique<tangentWavePanel>(quint16(hub->port()));
    QTRY_COMPARE_WITH_TIMEOUT(received(*hub), appDefinition + words({8, 0xA0, 0x10}), Timeout);
    hub->clearRequests();
}

// The greeting is answered with the program's name and a request for each of
// its panels; nothing goes to the display before it. Display writes carry the
// panel of the last refresh request; a segment is exactly 8 bytes.
void TestTangentWavePanel::greetingAndDisplayWrites()
{
    hub = fakeHub(QByteArray());
    panel = std::make_unique<tangentWavePanel>(quint16(hub->port()));
    QTRY_VERIFY_WITH_TIMEOUT(panel->isConnected(), Timeout);
    panel->SendSegment(0, 0, "dropped!");

    QSignalSpy greeted(panel.get(), &tangentWavePanel::sig_hubGreeted);
    sendTo(*hub, framed(words({0x01, 7, 2, 0x0C, 0x10, 0x0C, 0x20})));
    QVERIFY(greeted.wait(Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(received(*hub), appDefinition + words({0x10, 0xA0, 0x10, 0xA0, 0x20}), Timeout);

    hub->clearRequests();
    QSignalSpy refresh(panel.get(), &tangentWavePanel::sig_refreshMe);
    sendTo(*hub, framed(words({0x34, 5})));
    QVERIFY(refresh.wait(Timeout));
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel::SendSegment - ERROR len = 7");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel::SendSegment - ERROR len = 9");
    panel->SendSegment(1, 8, "1234567");
    panel->SendSegment(1, 8, "123456789");
    panel->SendSegment(1, 8, "0.000   ");
    panel->SendText(4, 0, "status");
    QTRY_COMPARE_WITH_TIMEOUT(received(*hub),
                              words({32, 0xA1, 5, 0, 1, 8, 8}) + "0.000   " + words({30, 0xA1, 5, 0, 4, 0, 6}) + "status", Timeout);
}

// Each request of the hub gets its reply: a parameter value (from 0.0 to
// 1.0), a menu string or a mode value for the id asked about.
void TestTangentWavePanel::replies()
{
    connectAndGreet();
    sendTo(*hub, framed(words({0x02, 11}) + real(0.5f)
                     + words({0x03, 12, 0x04, 13, 0x05, 21, quint32(-1), 0x06, 22, 0x07, 23, 0x09, 31})));
    const QByteArrayList expected = {words({16, 0x82, 11}), words({16, 0x82, 12}), words({16, 0x82, 13}), words({22, 0x83, 21}),
                                     words({22, 0x83, 22}), words({22, 0x83, 23}), words({8, 0x85, 31})};
    QTRY_COMPARE_WITH_TIMEOUT(received(*hub).size(), 3 * 20 + 3 * 26 + 12, Timeout);
    const QByteArray sent = received(*hub);
    QByteArrayList heads;
    for (int at = 0; at < sent.size(); at += 4 + int(qFromBigEndian<quint32>(sent.constData() + at))) {
        heads << sent.mid(at, 12);
        if (heads.size() <= 3)
            QVERIFY(sent.mid(at + 12, 4) >= real(0) && sent.mid(at + 12, 4) <= real(1));
    }
    QCOMPARE(heads, expected);
}

// Panel events become signals in order. A message split across reads is put
// together again (at any cut: the hub protocol's test); a message too long is
// dropped; the commands before one that ends decoding still act (how each end
// is found is the decoder's). None of them costs the connection.
void TestTangentWavePanel::events()
{
    connectAndGreet();
    QStringList events;
    connect(panel.get(), &tangentWavePanel::sig_buttonDown, this, [&](uint32_t id) { events << QStringLiteral("down %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_buttonUp, this, [&](uint32_t id) { events << QStringLiteral("up %1").arg(id); });
    connect(panel.get(), &tangentWavePanel::sig_encoder, this,
            [&](uint32_t id, float delta) { events << QStringLiteral("encoder %1 %2").arg(id).arg(double(delta)); });
    QTest::ignoreMessage(QtDebugMsg, "Unhandled command 0xc");
    QTest::ignoreMessage(QtDebugMsg, "tangentWavePanel: message of 2000 bytes dropped, longer than 1028");

    sendTo(*hub, framed(words({0x31, 1, 4, 0x33, 1, 7}) + real(-90)));
    const QByteArray message = framed(words({0x31, 1, 1}));
    sendTo(*hub, message.left(7));
    sendTo(*hub, message.mid(7));
    sendTo(*hub, framed(words({0x31, 1, 2, 0x0C, 1, 2, 0x32, 1, 2})));
    sendTo(*hub, framed(words({0x31, 1, 9}) + QByteArray(1988, '\x31')));
    sendTo(*hub, framed(words({0x32, 1, 3})));
    QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{"down 4", "encoder 7 -90", "down 1", "down 2", "up 3"}),
                              Timeout);
    QCOMPARE(hub->connectionCount(), 1);
}

// What waits for a hub that stopped reading stays bounded: past the bound
// the connection is dropped and made again, and the hub greets anew.
void TestTangentWavePanel::hubThatStopsReadingIsDropped()
{
    hub = fakeHub(greeting, true);
    panel = std::make_unique<tangentWavePanel>(quint16(hub->port()));
    QTRY_VERIFY_WITH_TIMEOUT(panel->hubReady(), Timeout);

    const QByteArray text(HubMessageBuilder::MaxDisplayText, 'x');
    constexpr qint64 message = 1028; // one display write of that text
    qint64 most = 0;
    // Far more than the system's socket buffers and the bound hold together.
    for (int i = 0; i < 20000 && panel->hubReady(); ++i) {
        panel->SendText(0, 0, text.constData());
        most = std::max(most, panel->queuedBytes());
    }
    QVERIFY2(most <= ClientIF::MaxQueuedBytes + message, qPrintable(QString::number(most)));
    QVERIFY(!panel->hubReady());
    QTRY_COMPARE_WITH_TIMEOUT(hub->connectionCount(), 2, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(panel->hubReady(), Timeout);
}

QTEST_GUILESS_MAIN(TestTangentWavePanel)
#include "tst_tangentwavepanel.moc"
