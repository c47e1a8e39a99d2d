#include "gang.h"

#include "unitlink.h"
#include "unitlinks.h"
#include "unitwriter.h"

#include <algorithm>

Gang::Gang(UnitLinks &links, QObject *parent) : QObject(parent), m_links(links) {}

Gang::~Gang()
{
    clear();
}

void Gang::clear()
{
    for (const std::unique_ptr<UnitWriter> &member : m_members)
        m_links.close(member->link());
    m_members.clear();
}

void Gang::rebuild(const QList<DeviceEntry> &ganged)
{
    std::vector<std::unique_ptr<UnitWriter>> before = std::move(m_members);
    m_members.clear();
    for (const DeviceEntry &entry : ganged) {
        const auto kept = std::find_if(before.begin(), before.end(), [&entry](const std::unique_ptr<UnitWriter> &member) {
            return member && member->link()->address() == entry.ipAddress && member->hostName() == entry.hostName;
        });
        if (kept != before.end()) {
            m_members.push_back(std::move(*kept));
            continue;
        }
        m_members.push_back(std::make_unique<UnitWriter>(m_links.open(entry.ipAddress), entry.hostName));
        connect(m_members.back().get(), &UnitWriter::stateChanged, this, &Gang::changed);
    }
    for (const std::unique_ptr<UnitWriter> &member : before) {
        if (member)
            m_links.close(member->link());
    }
    m_unmatched = 0;
    Q_EMIT changed();
}

QStringList Gang::hostNames() const
{
    QStringList names;
    for (const std::unique_ptr<UnitWriter> &member : m_members)
        names << member->hostName();
    return names;
}

void Gang::write(const QByteArray &name, const QByteArray &value)
{
    for (const std::unique_ptr<UnitWriter> &member : m_members)
        member->write(name, value);
}

void Gang::read(const QByteArray &name, QObject *context,
                const std::function<void(const QString &address, const UnitRequest &request)> &done)
{
    for (const std::unique_ptr<UnitWriter> &member : m_members) {
        const QString address = member->link()->address();
        member->link()->read(name, context, [done, address](const UnitRequest &request) { done(address, request); });
    }
}

void Gang::poll(const QByteArray &name)
{
    for (const std::unique_ptr<UnitWriter> &member : m_members) {
        UnitWriter *writer = member.get();
        writer->link()->read(name, writer, [writer](const UnitRequest &request) {
            if (request.answered && writer->hasMissed())
                writer->catchUp();
        });
    }
}

void Gang::setUnmatched(int count)
{
    if (count == m_unmatched)
        return;
    m_unmatched = count;
    Q_EMIT changed();
}

QString Gang::label() const
{
    if (m_members.empty())
        return QStringLiteral("Current Prismo");
    if (m_unmatched > 0)
        return QStringLiteral("Current Prismo (ganged, %1 not matched)").arg(m_unmatched);
    return QStringLiteral("Current Prismo (ganged)");
}

// Every ganged unit, those that do not answer (or are catching up) with their state.
QString Gang::toolTip() const
{
    if (m_members.empty())
        return QStringLiteral("No Prismos Ganged. ");
    QString text = QStringLiteral("Ganged Prismos:");
    for (const std::unique_ptr<UnitWriter> &member : m_members) {
        text += QStringLiteral("\n- ") + member->hostName();
        const QString trouble = member->troubleText();
        if (!trouble.isEmpty())
            text += QStringLiteral(" (%1)").arg(trouble);
    }
    if (m_unmatched > 0)
        text += QStringLiteral("\n%1 parameters could not be read from the current Prismo and are not matched yet.")
                    .arg(m_unmatched);
    return text;
}

UnitWriter *Gang::writerFor(const QString &address) const
{
    for (const std::unique_ptr<UnitWriter> &member : m_members) {
        if (member->link()->address() == address)
            return member.get();
    }
    return nullptr;
}

QString Gang::stateOf(const QString &address) const
{
    const UnitWriter *member = writerFor(address);
    return member ? member->stateText() : QString();
}
