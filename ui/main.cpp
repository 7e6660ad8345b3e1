#include "TForm1.h"
#include "apperror.h"
#include "appwindows.h"
#include "globals.h"
#include "termination.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // SIGINT, SIGTERM and SIGHUP close the window as its close box does: a
    // wait ends, the board is closed once, and the program ends normally.
    evm::Termination termination;
    int rc = 0;
    try {
        CreateAppWindows();
        QObject::connect(&termination, &evm::Termination::received, Form1, [] { Form1->close(); });
        Form1->show();
        rc = app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QLatin1String(kAppTitle),
                              apperr::withFullStop(QString::fromUtf8(e.what())));
        rc = 1;
    }
    DestroyAppWindows();
    return rc;
}
