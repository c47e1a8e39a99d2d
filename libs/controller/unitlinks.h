#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class UnitLink;
class UnitTransport;

// Opens the links to units and ends them. A link that is closed sends the
// writes it was given and is deleted when its thread has ended, so closing
// never waits for a unit; at the end, every link still running is stopped
// and waited for together, which takes no longer than one request's time-out.
class UnitLinks : public QObject
{
    Q_OBJECT

public:
    using TransportFactory = std::function<std::unique_ptr<UnitTransport>(const QString &address)>;

    explicit UnitLinks(TransportFactory factory, QObject *parent = nullptr);
    ~UnitLinks() override;

    UnitLink *open(const QString &address);
    void close(UnitLink *link);
    // Stops every link and waits until all threads have ended.
    void closeAll();
    int running() const;
    // Requests not yet done, the writes of closed links included.
    int waiting() const;

private:
    TransportFactory m_factory;
    std::vector<std::unique_ptr<UnitLink>> m_links;
};
