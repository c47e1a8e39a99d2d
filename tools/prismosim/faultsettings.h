#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The ways a simulated unit can be told to misbehave, so that the program's
// resilience can be tried and tested. Everything is off by default.
struct FaultSettings
{
    static constexpr int DefaultChunkSize = 16;
    static constexpr int DefaultOversizeBytes = 5000;

    int delayMs = 0;                    // every reply waits this long
    int chunkSize = 0;                  // > 0: replies are chunked in pieces of this many bytes
    bool closeEveryReply = false;       // "Connection: close" on every reply
    int dropEvery = 0;                  // > 0: every Nth request is dropped with its connection
    QSet<QByteArray> failingParameters; // reads and sets of these answer 500
    bool stall = false;                 // requests are taken in and never answered
    int oversizeBytes = 0;              // > 0: bodies are padded to this many bytes
    bool standardLineEnd = false;       // no line end after a counted body, as standard servers send
    bool garbage = false;               // every request answered with a line of junk, nothing changed
    bool cut = false;                   // replies cut short, then the connection closes
    int cutBytes = 0;                   // > 0: the bytes of each reply sent before the cut; 0: half

    // Applies settings separated by commas or blanks, for example
    // "delay=200,chunked,drop=5,fail=eParamID_SystemName". "none" turns
    // everything off, "no-<name>" one fault. On an error nothing changes.
    bool apply(const QString &text, QString *error);
    // The settings in force in the form apply() reads, or "none".
    QString describe() const;
    bool isNone() const { return describe() == QLatin1String("none"); }

    bool operator==(const FaultSettings &other) const;
    bool operator!=(const FaultSettings &other) const { return !(*this == other); }
};
