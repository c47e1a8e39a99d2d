#include "panellayout.h"

#include "parametercatalogue.h"

using PC = ParameterCatalogue;

PanelLayout::Control PanelLayout::control(int page, quint32 id)
{
    Control found;
    if (page < 0 || page >= PageCount || id >= ControlCount)
        return found;
    if (page == StatusPage && (id == 0 || id == 3)) {
        found.chooser = id == 0 ? Chooser::Device : Chooser::Channel;
        return found;
    }
    for (int slot = 0; slot < PC::SlotCount; ++slot) {
        const PC::SlotInfo &info = PC::slot(slot);
        if (info.panel.page != page || info.panel.control != int(id))
            continue;
        if (info.kind == PC::Kind::Choice)
            found.chooser = chooserOf(slot);
        else
            found.slot = slot;
        break;
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
    if (target.slot >= 0)
        return QString::fromLatin1(PC::slot(target.slot).caption);
    if (target.chooser == Chooser::Device)
        return QStringLiteral("Device");
    if (target.chooser == Chooser::Channel)
        return QStringLiteral("Channel");
    if (target.chooser != Chooser::None)
        return QString::fromLatin1(PC::slot(slotOf(target.chooser)).caption);
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

PanelLayout::Chooser PanelLayout::chooserOf(int slot)
{
    switch (slot) {
    case PC::InDynRange:
        return Chooser::InRange;
    case PC::OutDynRange:
        return Chooser::OutRange;
    case PC::MonDynRange:
        return Chooser::MonRange;
    default:
        return Chooser::None;
    }
}

int PanelLayout::slotOf(Chooser chooser)
{
    switch (chooser) {
    case Chooser::InRange:
        return PC::InDynRange;
    case Chooser::OutRange:
        return PC::OutDynRange;
    case Chooser::MonRange:
        return PC::MonDynRange;
    default:
        return -1;
    }
}
