#include "ui/savefile.h"

#include "core/apperror.h"
#include "ui/dialogs.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

bool confirmOverwrite(Dialogs& dialogs, const QString& path)
{
    if (!QFileInfo::exists(path)) return true;
    return dialogs.question(
        QStringLiteral("The file you specified is already exists.\nAre you sure you want to save?"),
        QStringLiteral("File exits"));
}

void saveTextFile(const QString& path, const QByteArray& bytes)
{
    QString reason;
    if (!textfile::writeAtomic(path, bytes, &reason))
        throw AppError(
            QStringLiteral("Cannot write the file %1: %2").arg(QDir::toNativeSeparators(path), reason));
}
