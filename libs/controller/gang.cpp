#include "gang.h"

#include "unitlink.h"
#include "unitlinks.h"
#include "unitwriter.h"

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
    clear();
    for (const DeviceEntry &entry : ganged) {
        m_members.push_back(std::make_unique<UnitWriter>(m_links.open(entry.ipAddress), entry.hostName));
        connect(m_members.back().get(), &UnitWriter::stateChanged, this, &Gang::changed);
    }
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

QString Gang::label() const
{
    return m_members.empty() ? QStringLiteral("Current Prismo") : QStringLiteral("Current Prismo (ganged)");
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
