#include "benchapp.h"

#include "TForm1.h"
#include "appwindows.h"
#include "globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

void useOffscreenUnlessChosen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

BenchApp::BenchApp() : oldDir_(QDir::currentPath())
{
    QDir::setCurrent(dir_.path());
    QFile ini(QStringLiteral("EVM2280.ini"));
    if (ini.open(QIODevice::WriteOnly)) ini.write("[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n");
    ini.close();
    AppOptions options;
    options.dialogs = &dialogs;
    options.wait = [](int) {};
    CreateAppWindows(options);
    Form1->show();
    QCoreApplication::processEvents();
    if (Form1->board().port() == 0)
        std::printf("note: no simulated board was opened; the figures are empty\n");
}

BenchApp::~BenchApp()
{
    if (dialogs.shown) std::printf("note: %d message(s) would have been shown\n", dialogs.shown);
    DestroyAppWindows();
    QDir::setCurrent(oldDir_);
}
