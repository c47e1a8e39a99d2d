#pragma once

#include "input.h"
#include "midiintent.h"
#include "midimap.h"
#include "midiport.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

class HdrController;
class MidiSurface;

// MIDI control of the program, beside the window, the panel and OSC. While
// it is on, the ports are open (MidiSurface): what a controller asks comes
// in as inputs of the controller, aimed at the place current when it comes,
// and every value shown, whatever changed it, goes back to the controller's
// mapped controls; after a switch of channel or unit they are all sent
// again once the place has been read. The mapping comes from a file, and a
// control learned is saved to it.
class MidiRemote : public QObject
{
    Q_OBJECT

public:
    MidiRemote(HdrController &controller, MidiPort::Backend backend, QObject *parent = nullptr);
    ~MidiRemote() override;

    // The input an intent asks for, aimed at `place`: a fader's value is
    // set; an encoder's detents nudge a slider by the table's steps of
    // their size, a chooser by rows, a switch on or off; a press toggles a
    // switch, puts a slider back to its reset position and moves a chooser
    // to its next row; a command is the input of the same name.
    static Input input(const MidiIntent &intent, const Target &place);

    // Reads the mapping file at `path`; where there is no file yet the map
    // is empty, and learning makes the file. False, with why, for a file
    // that cannot be used: the map in use and its file stay.
    bool loadMap(const QString &path, QString *error);
    QString mapPath() const { return m_mapPath; }
    const MidiMap &map() const { return m_map; }

    // Opens or closes the ports.
    void setEnabled(bool on);
    bool isEnabled() const { return m_surface != nullptr; }
    // The last status line: the ports, a controller connected or gone, a control learned.
    QString statusLine() const { return m_status; }

    // The next control moved on the controller is mapped to the parameter
    // (by its remote name) or command, and saved; false when MIDI is off or
    // the name is unknown.
    bool startLearn(const QString &parameter);
    void cancelLearn();
    bool learning() const;

    // A controller's intents, handed to the controller.
    void take(const QVector<MidiIntent> &intents);

Q_SIGNALS:
    void status(const QString &line);
    void enabledChanged(bool on);
    void learningChanged(bool learning);

private:
    void say(const QString &line);
    void learned(const MidiMapping &mapping);
    // Every value shown, to the controller's controls.
    void feedAll();
    void placeShown();

    HdrController &m_controller;
    MidiPort::Backend m_backend;
    MidiMap m_map;
    QString m_mapPath;
    std::unique_ptr<MidiSurface> m_surface;
    Target m_place;
    QString m_status;
};
