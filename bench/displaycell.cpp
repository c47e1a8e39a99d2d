#include "displaycell.h"

#include "displaysink.h"
#include "panelpagelayout.h"
#include "parametercatalogue.h"
#include "tangentwavedisplay.h"

namespace {

// Keeps the last cell the display sent.
class LastCell : public DisplaySink
{
public:
    DisplayCell cell;

    void SendSegment(quint32 line, quint32 x, const char *text) override { keep(line, x, text); }
    void SendText(quint32 line, quint32 x, const char *text) override { keep(line, x, text); }

private:
    void keep(quint32 line, quint32 x, const char *text)
    {
        cell.line = line;
        cell.x = x;
        cell.text = QString::fromUtf8(text);
    }
};

} // namespace

DisplayCell DisplayCell::ofValue(int slot, int value)
{
    LastCell sink;
    tangentWaveDisplay display(&sink);
    display.setPage(ParameterCatalogue::slot(slot).panel.page);
    PanelPageLayout::showValue(display, slot, value);
    return sink.cell;
}

bool DisplayCell::isShownOn(const QString &displayLine) const
{
    return !text.isEmpty() && displayLine.mid(int(x), text.size()) == text;
}
