#include "commandline.h"
#include "libloreference.h"
#include "oscbudget.h"
#include "osccommand.h"
#include "oscoptions.h"
#include "oscpacket.h"
#include "oscrouter.h"
#include "parametercatalogue.h"
#include "oscsubscriptions.h"
#include "prismosettings.h"

#include <QtTest>

using PC = ParameterCatalogue;
using K = RemoteRequest::Kind;

Q_DECLARE_METATYPE(OscRouter::Refusal)

namespace {
// A message built with liblo as a show-control tool would send it:
// arguments as "i:3", "f:1.25", "s:text", "T", ..., any type tag liblo knows.
QByteArray message(const QByteArray &path, const QStringList &arguments = {})
{
    lo_message m = lo_message_new();
    lo_blob blob = nullptr;
    for (const QString &argument : arguments) {
        const QString value = argument.mid(2);
        switch (argument[0].toLatin1()) {
        case 'i': lo_message_add_int32(m, value.toInt()); break;
        case 'f': lo_message_add_float(m, value.toFloat()); break;
        case 'd': lo_message_add_double(m, value.toDouble()); break;
        case 'h': lo_message_add_int64(m, value.toLongLong()); break;
        case 't': lo_message_add_timetag(m, {value.toUInt(), 0}); break;
        case 's': lo_message_add_string(m, value.toUtf8().constData()); break;
        case 'S': lo_message_add_symbol(m, value.toUtf8().constData()); break;
        case 'b': lo_message_add_blob(m, blob = lo_blob_new(value.size(), value.toLatin1().constData())); break;
        case 'c': lo_message_add_char(m, value[0].toLatin1()); break;
        case 'm': lo_message_add_midi(m, reinterpret_cast<uint8_t *>(value.toLatin1().append("...").data())); break;
        case 'T': lo_message_add_true(m); break;
        case 'F': lo_message_add_false(m); break;
        case 'N': lo_message_add_nil(m); break;
        case 'I': lo_message_add_infinitum(m); break;
        }
    }
    QByteArray bytes(int(lo_message_length(m, path.constData())), '\0');
    size_t size = size_t(bytes.size());
    lo_message_serialise(m, path.constData(), bytes.data(), &size);
    lo_message_free(m);
    lo_blob_free(blob);
    return bytes;
}

// A bundle of the elements, each with its byte count.
QByteArray bundle(const QList<QByteArray> &elements)
{
    QByteArray bytes("#bundle\0", 8);
    bytes.append(QByteArray(8, '\1')); // time tag: immediately
    for (const QByteArray &element : elements) {
        const quint32 size = qToBigEndian(quint32(element.size()));
        bytes.append(reinterpret_cast<const char *>(&size), 4).append(element);
    }
    return bytes;
}

QString describe(const OscRouter::Result &result)
{
    if (const auto *refusal = std::get_if<OscRouter::Refusal>(&result))
        return QStringLiteral("refused %1").arg(int(*refusal));
    const RemoteRequest &r = std::get<RemoteRequest>(result);
    return QStringLiteral("%1 %2 %3 %4%5%6 costs %7")
        .arg(int(r.kind))
        .arg(r.slot)
        .arg(r.value)
        .arg(r.text, r.query ? QStringLiteral(" query") : QString(),
             r.cookie ? QStringLiteral(" cookie %1").arg(*r.cookie) : QString())
        .arg(r.cost);
}
} // namespace

// Remote control over OSC without a socket: what each message asks, and
// how packets are taken apart.
class TestOsc : public QObject
{
    Q_OBJECT

private slots:
    void codec_data();
    void codec();
    void routes_data();
    void routes();
    void packets_data();
    void packets();
    void allowList();
    void optionsFromLineAndSettings_data();
    void optionsFromLineAndSettings();
    void budget_data();
    void budget();
    void subscriptions_data();
    void subscriptions();
    void readmeListsTheAddresses();
};

// The codec against liblo, the reference: both read alike what liblo writes,
// with every type tag it knows, and what the program writes, which is byte
// for byte what liblo writes; both refuse what is malformed.
void TestOsc::codec_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("liblos"); // liblo's bytes of the message the program wrote
    QTest::addColumn<bool>("taken");

    const auto sent = [](const QByteArray &path, const QStringList &arguments) {
        QVector<OscCodec::Argument> values;
        for (const QString &a : arguments)
            values << (a[0] == 'i' ? OscCodec::Argument(qint32(a.mid(2).toInt()))
                       : a[0] == 'f' ? OscCodec::Argument(a.mid(2).toFloat()) : OscCodec::Argument(a.mid(2)));
        QTest::newRow(path.constData()) << OscCodec::encode(path, values) << message(path, arguments) << true;
    };
    sent("/prismolink/subscribe", {"i:9000", "i:2147483647"});
    sent("/p", {"s:", "s:x", "s:xy", "s:xyz", "s:Größe", "f:-2.5", "i:-1"});
    const auto row = [](const char *name, const QByteArray &bytes, bool taken = false) {
        QTest::newRow(name) << bytes << QByteArray() << taken;
    };
    row("every type tag", message("/abc", {"i:-7", "h:-4294967297", "f:1.25", "d:-0.5", "t:1", "s:Größe", "S:xyz",
                                           "b:xyzzy", "c:x", "m:1", "T", "F", "N", "I"}), true);
    row("no type tags", QByteArrayLiteral("/abc\0\0\0\0"));
    row("type tags without ','", QByteArrayLiteral("/abc\0\0\0\0;i\0\0\0\0\0\1"));
    row("string unterminated", QByteArrayLiteral("/abc\0\0\0\0,s\0\0abcd"));
    row("string unpadded", QByteArrayLiteral("/abc\0\0\0\0,s\0\0ab\0x"));
    row("int past the end", QByteArrayLiteral("/abc\0\0\0\0,ii\0\0\0\0\1"));
    row("blob past the end", QByteArrayLiteral("/abc\0\0\0\0,b\0\0\0\0\0\5xyz\0"));
    row("blob longer than the message", QByteArrayLiteral("/abc\0\0\0\0,bi\0\xff\xff\xff\0"));
    row("blob unpadded", QByteArrayLiteral("/abc\0\0\0\0,b\0\0\0\0\0\1xy\0\0"));
    row("bytes after the last", QByteArrayLiteral("/abc\0\0\0\0,\0\0\0\0\0\0\0"));
    row("size not a multiple of 4", QByteArrayLiteral("/abc\0\0\0\0,\0\0\0\0"));
    row("unknown type tag", QByteArrayLiteral("/abc\0\0\0\0,X\0\0"));
}

void TestOsc::codec()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, liblos);
    QFETCH(bool, taken);

    OscCodec::Message decoded;
    QCOMPARE(OscCodec::decode(bytes, decoded), taken);
    QVERIFY(libloAgrees(bytes, taken, decoded));
    if (!liblos.isEmpty())
        QCOMPARE(bytes, liblos);
}

void TestOsc::routes_data()
{
    QTest::addColumn<QString>("address"); // under /prismolink/ unless it starts with "/"
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("result");

    const auto is = [](K kind, int slot = -1, int value = 0, const QString &text = QString(), int cost = 1,
                       bool query = false, std::optional<quint32> cookie = {}) {
        return describe(RemoteRequest{kind, slot, value, text, query, cookie, cost});
    };
    const auto refused = [](OscRouter::Refusal r) { return describe(r); };
    using R = OscRouter::Refusal;

    QTest::newRow("gain in shown units") << "gain/red" << QStringList{"f:1.25"} << is(K::Set, PC::GainRed, 1250);
    QTest::newRow("slider clamped") << "exposure" << QStringList{"f:9"} << is(K::Set, PC::Exposure, 4000);
    QTest::newRow("choice by the unit's number") << "range/out" << QStringList{"i:7"} << is(K::Set, PC::OutDynRange, 5);
    QTest::newRow("choice without entry refused") << "range/in" << QStringList{"i:14"} << refused(R::OutOfRange);
    QTest::newRow("switch true") << "sdr-preview" << QStringList{"T"} << is(K::Set, PC::SdrPreview, 1);
    QTest::newRow("switch 0") << "adjust" << QStringList{"i:0"} << is(K::Set, PC::ColorfrontMode, 0);
    QTest::newRow("nudge") << "nudge/gain/red" << QStringList{"f:0.01"} << is(K::Nudge, PC::GainRed, 10);
    QTest::newRow("nudge a switch") << "nudge/adjust" << QStringList{"f:1"} << refused(R::UnknownAddress);
    QTest::newRow("reset one") << "reset/log-look" << QStringList() << is(K::Reset, PC::LogLook);
    QTest::newRow("reset all") << "reset" << QStringList() << is(K::ResetAll, -1, 0, "", 32);
    QTest::newRow("channel") << "channel" << QStringList{"i:3"} << is(K::Channel, -1, 3, "", 32);
    QTest::newRow("channel 5") << "channel" << QStringList{"i:5"} << refused(R::OutOfRange);
    QTest::newRow("unit") << "unit" << QStringList{"s:prismo-2"} << is(K::Unit, -1, 0, "prismo-2", 256);
    // Without arguments, an address that takes a value asks for it.
    QTest::newRow("query a parameter") << "gain/red" << QStringList() << is(K::Set, PC::GainRed, 0, "", 2, true);
    QTest::newRow("no query of a nudge") << "nudge/tint" << QStringList() << refused(R::BadArguments);
    QTest::newRow("subscribe the sender's port") << "subscribe" << QStringList() << is(K::Subscribe, -1, 0, "", 100);
    QTest::newRow("subscribe with the cookie") << "subscribe" << QStringList{"i:9000", "i:2147483647"}
                                               << is(K::Subscribe, -1, 9000, "", 100, false, 2147483647u);
    QTest::newRow("cookie not an int32") << "subscribe" << QStringList{"i:9000", "h:2147483648"} << refused(R::OutOfRange);
    QTest::newRow("port 0") << "subscribe" << QStringList{"i:0"} << refused(R::OutOfRange);
    QTest::newRow("unsubscribe without the cookie") << "unsubscribe" << QStringList{"i:9000"} << refused(R::BadArguments);
    QTest::newRow("unknown") << "gain/purple" << QStringList{"f:1"} << refused(R::UnknownAddress);
    QTest::newRow("other root") << "/other/gain/red" << QStringList{"f:1"} << refused(R::UnknownAddress);
    QTest::newRow("text for a number") << "tint" << QStringList{"s:1"} << refused(R::BadArguments);
    QTest::newRow("two numbers") << "tint" << QStringList{"f:1", "f:2"} << refused(R::BadArguments);
    QTest::newRow("argument for undo") << "undo" << QStringList{"i:1"} << refused(R::BadArguments);
    QTest::newRow("not a number") << "tint" << QStringList{"f:nan"} << refused(R::BadArguments);
}

void TestOsc::routes()
{
    QFETCH(QString, address);
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);

    const QString path = address.startsWith('/') ? address : "/prismolink/" + address;
    OscRouter::Message decoded;
    QVERIFY(OscCodec::decode(message(path.toUtf8(), arguments), decoded));
    QCOMPARE(describe(OscRouter::route(decoded)), result);
}

void TestOsc::packets_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("messages");

    const QByteArray one = message("/prismolink/undo");
    const auto nested = [&](int depth) {
        QByteArray packet = one;
        for (int i = 0; i < depth; ++i)
            packet = bundle({packet});
        return packet;
    };
    const int none = int(OscPacket::Fault::None);
    const int malformed = int(OscPacket::Fault::Malformed);
    QTest::newRow("message") << one << none << 1;
    QTest::newRow("bundle of two and a bundle") << bundle({one, bundle({one})}) << none << 2;
    QTest::newRow("empty bundle") << bundle({}) << none << 0;
    QTest::newRow("nested to the bound") << nested(OscPacket::DeepestBundle) << none << 1;
    QTest::newRow("nested deeper") << nested(OscPacket::DeepestBundle + 1) << int(OscPacket::Fault::TooDeep) << 0;
    QByteArray overrun = bundle({one});
    overrun[19] = char(overrun[19] + 4);
    QTest::newRow("element past the end") << overrun << malformed << 0;
    QTest::newRow("size not a multiple of 4") << one + "x" << malformed << 0;
    QTest::newRow("no address") << QByteArray("xyz\0", 4) << malformed << 0;
    QTest::newRow("too large") << QByteArray(OscPacket::LargestPacket + 4, '/') << malformed << 0;
    QList<QByteArray> many;
    for (int i = 0; i <= OscPacket::MostMessages; ++i)
        many << one;
    QTest::newRow("too many messages") << bundle(many) << malformed << 0;
}

void TestOsc::packets()
{
    QFETCH(QByteArray, packet);
    QFETCH(int, fault);
    QFETCH(int, messages);

    QVector<QByteArray> split;
    QCOMPARE(int(OscPacket::split(packet, split)), fault);
    QCOMPARE(split.size(), messages);
    for (const QByteArray &m : split)
        QCOMPARE(m, message("/prismolink/undo"));
}

void TestOsc::allowList()
{
    OscOptions options;
    QString bad;
    QVERIFY(OscOptions::parseAllowList(QStringLiteral("10.0.0.5, 192.168.1.0/24"), options.allowed, bad));
    QVERIFY(options.allows(QHostAddress(QStringLiteral("127.0.0.1"))));
    QVERIFY(options.allows(QHostAddress(QStringLiteral("10.0.0.5"))));
    QVERIFY(options.allows(QHostAddress(QStringLiteral("::ffff:192.168.1.77"))));
    QVERIFY(!options.allows(QHostAddress(QStringLiteral("10.0.0.6"))));
}

// What the user typed and cannot be used ends the program; what the
// settings hold and cannot be used costs only itself.
void TestOsc::optionsFromLineAndSettings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("settings"); // OscListen|OscAllow
    QTest::addColumn<QString>("result");   // "listen ADDRESS, N allowed", or the error

    QTest::newRow("settings") << QStringList() << "0.0.0.0|10.0.0.5, 10.1.0.0/16" << "listen 0.0.0.0, 2 allowed";
    QTest::newRow("settings listen damaged") << QStringList() << "junk|10.0.0.5" << "listen 127.0.0.1, 1 allowed";
    QTest::newRow("settings allow damaged") << QStringList() << "0.0.0.0|junk" << "listen 0.0.0.0, 0 allowed";
    QTest::newRow("line before settings") << QStringList{"--osc-allow", "10.0.0.6"} << "|junk" << "listen 127.0.0.1, 1 allowed";
    QTest::newRow("line listen") << QStringList{"--osc-listen", "junk"} << "|" << "\"junk\" is no address to listen on";
    QTest::newRow("line allow, an empty entry") << QStringList{"--osc-allow", ",,, "} << "|"
                                                << "an empty entry is no address or subnet to allow";
    QTest::newRow("line allow, a name") << QStringList{"--osc-allow", "10.0.0.5,studio"} << "|"
                                        << "\"studio\" is no address or subnet to allow";
    QTest::newRow("line allow, long") << QStringList{"--osc-allow", QString(5000, 'x')} << "|"
                                      << "\"" + QString(80, 'x') + "\"... (5000 characters) is no address";
}

void TestOsc::optionsFromLineAndSettings()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, settings);
    QFETCH(QString, result);

    PrismoSettings stored;
    stored.oscListen = settings.section('|', 0, 0);
    stored.oscAllow = settings.section('|', 1);
    if (arguments.isEmpty() && settings.contains("junk"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Settings: Osc(Listen|Allow): \"junk\" is no address.*; the default is used"));
    OscOptions options;
    QString error;
    if (OscOptions::compose(CommandLine::parse(QStringList{"prismolink"} + arguments, "prismolink"), stored, options, error))
        QCOMPARE(QStringLiteral("listen %1, %2 allowed").arg(options.listen.toString()).arg(options.allowed.size()), result);
    else
        QVERIFY2(error.startsWith(result), qPrintable(error));
}

// Messages as "SENDER:COST@MS" (the sender 10.0.0.SENDER), and which of
// them the budget lets through.
void TestOsc::budget_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("taken");

    const auto times = [](int count, const QString &message) { return QStringList(QVector<QString>(count, message).toList()); };
    QTest::newRow("half a second's worth at once") << times(6, "1:100@0") << "111110";
    QTest::newRow("refilled at its rate") << times(5, "1:100@0") + QStringList{"1:100@99", "1:100@100", "1:100@100"}
                                          << "11111010";
    QTest::newRow("a cost beyond the allowance takes nothing") << QStringList{"1:501@0", "1:500@0"} << "01";
    QTest::newRow("one sender does not spend another's")
        << QStringList{"1:500@0", "1:1@0", "2:500@0", "2:1@0", "3:1@0", "3:1@250"} << "101001";
}

void TestOsc::budget()
{
    QFETCH(QStringList, messages);
    QFETCH(QString, taken);

    OscBudget budget;
    QString result;
    for (const QString &m : messages) {
        const QHostAddress sender(QStringLiteral("10.0.0.") + m.section(':', 0, 0));
        result += budget.take(sender, m.section(':', 1).section('@', 0, 0).toInt(), m.section('@', 1).toLongLong()) ? '1' : '0';
    }
    QCOMPARE(result, taken);
}

// Steps "sub|unsub ADDRESS PORT COOKIE @MS" (COOKIE: none, the right one,
// a wrong one, or the one of the next port) and "expire @MS": what each
// subscription step comes to, and how many subscribers are left.
void TestOsc::subscriptions_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("outcomes");

    QTest::newRow("challenged, confirmed, renewed") << QStringList{"sub 1 9000 none @0", "sub 1 9000 right @5", "sub 1 9000 right @9"}
                                                    << "challenge confirmed renewed, 1";
    QTest::newRow("a forger cannot confirm") << QStringList{"sub 1 9000 wrong @0", "sub 1 9000 next @0"} << "challenge challenge, 0";
    QStringList fivePorts, seventeen;
    for (int n = 1; n <= 17; ++n) {
        fivePorts << QStringLiteral("sub 1 %1 right @0").arg(n);
        seventeen << QStringLiteral("sub %1 9 right @0").arg(n);
    }
    QTest::newRow("4 per address") << QStringList(fivePorts.mid(0, 5)) << "confirmed confirmed confirmed confirmed full, 4";
    QTest::newRow("16 in all") << seventeen << QString(QString("confirmed ").repeated(16) + "full, 16");
    QTest::newRow("ends unless renewed") << QStringList{"sub 1 9 right @0", "sub 2 9 right @0", "sub 2 9 right @9000", "expire @10000",
                                                        "expire @10001"}
                                         << "confirmed confirmed renewed, 1";
    QTest::newRow("ended with the cookie only") << QStringList{"sub 1 9 right @0", "unsub 1 9 wrong @1", "unsub 1 9 right @2"}
                                                << "confirmed unknown ended, 0";
}

void TestOsc::subscriptions()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, outcomes);

    OscSubscriptions subscriptions("key");
    const QStringList names{"challenge", "confirmed", "renewed", "full", "ended", "unknown"};
    QStringList result;
    for (const QString &step : steps) {
        const QStringList word = step.split(' ');
        const qint64 ms = word.last().mid(1).toLongLong();
        if (word[0] == "expire") {
            subscriptions.expire(ms);
            continue;
        }
        const QHostAddress address(QStringLiteral("10.0.0.") + word[1]);
        const quint16 port = quint16(word[2].toUInt());
        std::optional<quint32> cookie;
        if (word[3] != "none")
            cookie = subscriptions.cookie(address, quint16(port + (word[3] == "next" ? 1 : 0))) ^ (word[3] == "wrong" ? 1u : 0u);
        const OscSubscriptions::Outcome outcome = word[0] == "sub" ? subscriptions.subscribe(address, port, cookie, ms)
                                                                   : subscriptions.unsubscribe(address, port, cookie.value_or(0));
        result << names[int(outcome)];
    }
    QCOMPARE(result.join(' ') + ", " + QString::number(subscriptions.subscribers().size()), outcomes);
}

// The README's tables of addresses and parameters are the program's own.
void TestOsc::readmeListsTheAddresses()
{
    QFile readme(QStringLiteral(README_FILE));
    QVERIFY(readme.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString tables = OscCommand::markdown();
    QVERIFY2(QString::fromUtf8(readme.readAll()).contains(tables), qPrintable("The README lacks these tables:\n" + tables));
}

QTEST_GUILESS_MAIN(TestOsc)
#include "tst_osc.moc"
