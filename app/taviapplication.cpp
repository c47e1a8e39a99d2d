#include "taviapplication.h"

TaviApplication::TaviApplication(int &argc, char **argv, int theme)
    : QApplication(argc, argv)
{
    Q_UNUSED(theme)
}

TaviApplication::~TaviApplication() = default;
