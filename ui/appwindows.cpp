#include "appwindows.h"

#include "savefile.h"
#include "TForm1.h"
#include "aboutdialog.h"
#include "globals.h"
#include "regviewform.h"
#include "scriptprogress.h"
#include "splashform.h"
#include "widgets.h"

#include <QApplication>

TSplashForm* SplashForm = nullptr;
TForm1* Form1 = nullptr;
TAboutDialog* AboutDialog = nullptr;
TscriptProgress* scriptProgress = nullptr;
TRegViewForm* RegViewForm = nullptr;

void CreateAppWindows(const AppOptions& options)
{
    // A save beyond the process's file-size limit then fails with an error
    // that is reported, instead of ending the program with the history unsaved.
    evm::ignoreFileSizeSignal();
    // The windows' own font as the application's: a widget that sets no font
    // of its own (text boxes, menus, message boxes) then loads no second face
    // at start-up; font loading is most of what start-up costs beyond Qt's own.
    QApplication::setFont(pixelFont(QStringLiteral("Arial"), 12));
    SplashForm = new TSplashForm;
    SplashForm->show();
    SplashForm->repaint();
    QCoreApplication::setApplicationName(QLatin1String(kAppTitle));
    // Form1 first, so that it is the main window; its FormCreate runs now.
    Form1 = new TForm1(options.libraryName, options.dialogs);
    if (options.wait) Form1->board().wait = options.wait;
    AboutDialog = new TAboutDialog;
    scriptProgress = new TscriptProgress;
    RegViewForm = new TRegViewForm;
    // The register map follows every register the board shows.
    QObject::connect(&Form1->board(), &evm::Board::registerShown, RegViewForm, &TRegViewForm::ShowRegister);
}

void DestroyAppWindows()
{
    delete RegViewForm;
    RegViewForm = nullptr;
    delete scriptProgress;
    scriptProgress = nullptr;
    delete AboutDialog;
    AboutDialog = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete SplashForm;
    SplashForm = nullptr;
}
