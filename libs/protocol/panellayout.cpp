#include "panellayout.h"

#include "parametercatalogue.h"

using PC = ParameterCatalogue;

PanelLayout::Control PanelLayout::control(int page, quint32 id)
{
    Control found;
    if (page < 0 || page >= PageCount || id >= ControlCount)
        return found;
    if (page == StatusPage) {
        for (const ChooserRow &row : ParameterTable::chooserRows) {
            if (row.control == int(id)) {
                found.chooser = row.chooser;
                break;
            }
        }
        return found;
    }
    for (const ParameterRow &row : ParameterTable::rows) {
        if (row.panel.page == page && row.panel.control == int(id)) {
            found.slot = row.slot;
            break;
        }
    }
    return found;
}

PanelLayout::Press PanelLayout::press(int page, quint32 id)
{
    return press(control(page, id));
}

PanelLayout::Press PanelLayout::press(const Control &control)
{
    if (control.chooser != Chooser::None)
        return Press::Commit;
    if (control.slot < 0)
        return Press::None;
    return PC::slot(control.slot).kind == PC::Kind::Switch ? Press::Toggle : Press::Reset;
}

QString PanelLayout::caption(int page, quint32 id)
{
    const Control target = control(page, id);
    const int slot = target.slot >= 0 ? target.slot : slotOf(target.chooser);
    if (slot >= 0)
        return QString::fromLatin1(PC::slot(slot).caption);
    if (target.chooser == Chooser::Device)
        return QStringLiteral("Device");
    if (target.chooser == Chooser::Channel)
        return QStringLiteral("Channel");
    return QString();
}

QString PanelLayout::pageTitle(int page)
{
    static const char *const titles[PageCount] = {"Page 0: lift, gamma, gain", "Page 1: HDR controls",
                                                  "Page 2: exposure and output", "Page 3: status"};
    return page >= 0 && page < PageCount ? QString::fromLatin1(titles[page]) : QString();
}

int PanelLayout::nextPage(int page)
{
    return (page + 1) % PageCount;
}

const ChooserRow *PanelLayout::chooser(Chooser chooser)
{
    const int index = chooserIndex(chooser);
    return index < 0 ? nullptr : &ParameterTable::chooserRows[index];
}

int PanelLayout::chooserIndex(Chooser chooser)
{
    for (int index = 0; index < ChooserCount; ++index) {
        if (ParameterTable::chooserRows[index].chooser == chooser)
            return index;
    }
    return -1;
}

PanelLayout::Chooser PanelLayout::chooserOf(int slot)
{
    for (const ChooserRow &row : ParameterTable::chooserRows) {
        if (row.slot >= 0 && row.slot == slot)
            return row.chooser;
    }
    return Chooser::None;
}

int PanelLayout::slotOf(Chooser chooser)
{
    const ChooserRow *row = PanelLayout::chooser(chooser);
    return row ? row->slot : -1;
}
