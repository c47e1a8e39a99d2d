#pragma once

#include <QApplication>

class TaviApplication : public QApplication
{
public:
    TaviApplication(int &argc, char **argv, int theme);
    ~TaviApplication() override;
};
