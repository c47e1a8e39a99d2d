#pragma once

#include "parametertable.h"

#include <QString>
#include <QtGlobal>

// The control panel's pages as the program uses them: on pages 0 to 2 each
// of encoders and buttons 0 to 11 drives the parameter the parameter table
// places there (the encoder moves it, the button resets or toggles it); on
// the status page 3 the table's choosers step the device, channel and range
// choices with their encoders and commit them with their buttons. Button 12
// turns the page, button 13 pressed twice resets everything.
class PanelLayout
{
public:
    static constexpr int PageCount = 4;
    static constexpr int StatusPage = 3;
    static constexpr quint32 ControlCount = 12;
    static constexpr quint32 PageButton = 12;
    static constexpr quint32 ResetAllButton = 13;
    static constexpr int ChooserCount = int(std::size(ParameterTable::chooserRows));

    using Chooser = PanelChooser;
    enum class Press { None, Reset, Toggle, Commit };

    // What encoder and button `id` drive on a page: a parameter slot, a chooser, or nothing.
    struct Control
    {
        int slot = -1;
        Chooser chooser = Chooser::None;
        bool isNone() const { return slot < 0 && chooser == Chooser::None; }
    };

    static Control control(int page, quint32 id);
    // What the button does on its own (a slider's reset, a switch's toggle, a commit).
    static Press press(int page, quint32 id);
    static Press press(const Control &control);
    // A virtual panel's label for the control: the parameter's caption in the
    // window (not the display's shorter one), "Device" or "Channel".
    static QString caption(int page, quint32 id);
    static QString pageTitle(int page);
    // The page button's turn: the page after this one, 0 after the last.
    static int nextPage(int page);

    // A chooser's row of the table, or nullptr for None; its place in the
    // table (0 to ChooserCount - 1), or -1.
    static const ChooserRow *chooser(Chooser chooser);
    static int chooserIndex(Chooser chooser);
    // The chooser of a chooser slot, and the other way round (-1 for the device and channel choosers).
    static Chooser chooserOf(int slot);
    static int slotOf(Chooser chooser);
};
