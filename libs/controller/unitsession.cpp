#include "unitsession.h"

#include "unitidentity.h"
#include "unitlink.h"
#include "unitlinks.h"
#include "unitwriter.h"

#include <algorithm>

namespace {
const QString NoUnitTitle = QStringLiteral(" No Prismo Found");

// The packed version (four bytes, major first) as " version a.b.c.d";
// the unit may send it as a signed or unsigned 32-bit number.
QString versionFromNumber(const QByteArray &text)
{
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok, 10);
    const quint32 v = ok && number >= INT32_MIN && number <= UINT32_MAX ? static_cast<quint32>(number) : 0;
    return QStringLiteral(" version %1.%2.%3.%4")
        .arg((v >> 24) & 0xFF)
        .arg((v >> 16) & 0xFF)
        .arg((v >> 8) & 0xFF)
        .arg(v & 0xFF);
}
} // namespace

UnitSession::UnitSession(UnitLinks &links, QObject *parent) : QObject(parent), m_links(links)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &UnitSession::ask);
}

UnitSession::~UnitSession()
{
    close();
}

void UnitSession::close()
{
    m_retry.stop();
    if (m_writer)
        m_links.close(m_writer->link());
    m_writer.reset();
    m_stage = Stage::NoUnit;
    m_systemName = NoUnitTitle;
    m_versionText.clear();
    m_mode = 0;
}

void UnitSession::open(const QString &address)
{
    close();
    m_address = address;
    m_retryMs = 0;
    Q_EMIT titleChanged(title());
    if (address.isEmpty())
        return;
    m_writer = std::make_unique<UnitWriter>(m_links.open(address), QString());
    connect(m_writer.get(), &UnitWriter::stateChanged, this, [this] { Q_EMIT titleChanged(title()); });
    ask();
}

void UnitSession::ask()
{
    m_stage = Stage::Identifying;
    m_writer->link()->read(UnitIdentity::ProductIdParameter, this, [this](const UnitRequest &request) { productIdRead(request); });
}

void UnitSession::retryLater()
{
    m_stage = Stage::Waiting;
    m_retryMs = m_retryMs == 0 ? FirstRetryMs : std::min(2 * m_retryMs, LongestRetryMs);
    m_retry.start(m_retryMs);
}

void UnitSession::productIdRead(const UnitRequest &request)
{
    if (!request.ok) {
        retryLater();
        return;
    }
    if (request.value != UnitIdentity::ProductId) {
        close();
        m_stage = Stage::Refused;
        m_address.clear();
        Q_EMIT refused();
        return;
    }
    // Each read has its own text: a failed read shows nothing of another parameter.
    UnitLink *link = m_writer->link();
    link->read(UnitIdentity::SystemNameParameter, this, [this](const UnitRequest &r) {
        m_systemName = r.ok && !r.value.isEmpty() ? QString::fromUtf8(r.value) : m_address;
    });
    link->read(UnitIdentity::SoftwareVersionParameter, this, [this](const UnitRequest &r) {
        m_versionText = versionFromNumber(r.ok ? r.value : QByteArray());
    });
    link->read(UnitIdentity::ChannelModeParameter, this, [this](const UnitRequest &r) {
        m_mode = r.ok ? r.value.toInt() : 0;
        finishIdentification();
    });
}

void UnitSession::finishIdentification()
{
    m_stage = Stage::Identified;
    Q_EMIT titleChanged(title());
    Q_EMIT identified();
}

QString UnitSession::title() const
{
    if (m_stage != Stage::Identified)
        return NoUnitTitle;
    QString text = QStringLiteral("%1     %2").arg(m_systemName, m_versionText);
    const QString trouble = m_writer ? m_writer->troubleText() : QString();
    if (!trouble.isEmpty())
        text += QStringLiteral("  (%1)").arg(trouble);
    return text;
}
