#include "ui/TForm1.h"
#include "core/apperror.h"
#include "ui/appwindows.h"
#include "ui/globals.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int rc = 0;
    try {
        CreateAppWindows();
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
