#include "taviapplication.h"

#include "tavistyle.h"

TaviApplication::TaviApplication(int &argc, char **argv, int theme)
    : QApplication(argc, argv)
{
    // setStyle makes the application the style's owner.
    auto *style = new TaviStyle(theme);
    setStyle(style);
    setPalette(style->standardPalette());
    setStyleSheet(style->styleSheet());
}

TaviApplication::~TaviApplication() = default;
