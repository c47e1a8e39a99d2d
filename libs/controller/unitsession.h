#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class UnitLinks;
class UnitWriter;
struct UnitRequest;

// The current unit: its link, and identification. Identification asks for
// the product id, then name, software version and channel mode. A unit that
// does not answer, or answers the product id with an error (it may still be
// starting), is asked again after a pause that grows from 1 s to 8 s; only a
// product id that arrives and is not the controlled kind refuses the unit.
class UnitSession : public QObject
{
    Q_OBJECT

public:
    enum class Stage { NoUnit, Identifying, Waiting, Identified, Refused };

    static constexpr int FirstRetryMs = 1000;
    static constexpr int LongestRetryMs = 8000;

    explicit UnitSession(UnitLinks &links, QObject *parent = nullptr);
    ~UnitSession() override;

    // Leaves the unit before, if any, and identifies the unit at the address
    // (none for an empty one).
    void open(const QString &address);
    void close();

    Stage stage() const { return m_stage; }
    bool isIdentified() const { return m_stage == Stage::Identified; }
    // The address asked for; empty after a refusal.
    const QString &address() const { return m_address; }
    // The current unit's writer while there is a link, else null.
    UnitWriter *writer() const { return m_writer.get(); }

    const QString &systemName() const { return m_systemName; }
    const QString &versionText() const { return m_versionText; }
    int channelMode() const { return m_mode; }
    // The window title: " No Prismo Found", or name and version, with the
    // unit's state when it is not simply answering.
    QString title() const;

Q_SIGNALS:
    // Name, version and mode are known: the unit is the current unit.
    void identified();
    // The unit answered with another product id.
    void refused();
    void titleChanged(const QString &title);

private:
    void ask();
    void productIdRead(const UnitRequest &request);
    void retryLater();
    void finishIdentification();

    UnitLinks &m_links;
    std::unique_ptr<UnitWriter> m_writer;
    QTimer m_retry;
    Stage m_stage = Stage::NoUnit;
    QString m_address;
    QString m_systemName;
    QString m_versionText;
    int m_mode = 0;
    int m_retryMs = 0;
};
