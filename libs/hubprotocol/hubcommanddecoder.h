#pragma once

#include <QtGlobal>

#include <array>
#include <vector>

// One command of a hub message, decoded. Which fields are set depends on id.
struct HubCommand
{
    static constexpr int MaxPanels = 10;

    quint32 id = 0;
    quint32 itemId = 0;   // parameter, menu, action, mode, button or encoder id
    quint32 panelId = 0;  // 0x31 to 0x34
    float increment = 0;  // 0x02 parameter, 0x33 encoder
    qint32 step = 0;      // 0x05 menu step; 0x0A jog
    qint32 shuttle = 0;   // 0x0A
    quint32 revision = 0; // 0x01
    quint32 panelCount = 0;
    std::array<quint32, MaxPanels> panelTypes = {};
    std::array<quint32, MaxPanels> panelIds = {};
};

// Decodes the body of one message from the hub into its commands, in order,
// without acting on them. Decoding stops at the first command that is not
// known, whose payload would run past the end of the body, or (a greeting)
// that lists more panels than the program can request; the commands before
// it stand, that command and the rest of the body are dropped.
class HubCommandDecoder
{
public:
    enum Command : quint32 {
        Greeting = 0x01,
        ParameterChange = 0x02,
        ParameterReset = 0x03,
        ParameterValueRequest = 0x04,
        MenuChange = 0x05,
        MenuReset = 0x06,
        MenuStringRequest = 0x07,
        ActionOn = 0x08,
        ModeValueRequest = 0x09,
        Transport = 0x0A,
        ActionOff = 0x0B,
        Unused30 = 0x30,
        PanelButtonDown = 0x31,
        PanelButtonUp = 0x32,
        PanelEncoderChange = 0x33,
        PanelDisplayRefresh = 0x34,
    };

    enum class End { Complete, UnknownCommand, Overrun, TooManyPanels };

    struct Result
    {
        std::vector<HubCommand> commands;
        End end = End::Complete;
        quint32 endCommandId = 0; // the id of the command that ended decoding early
        quint32 panelCount = 0;   // TooManyPanels: how many the greeting listed
    };

    static Result decode(const uchar *body, quint32 length);
};
