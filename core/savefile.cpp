#include "savefile.h"

#include "apperror.h"
#include "textfile.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>

namespace evm {

bool confirmOverwrite(const AskFn& ask, const QString& path)
{
    if (!QFileInfo::exists(path)) return true;
    // "exits" as the program has always put it.
    return ask &&
           ask(QStringLiteral("The file you specified is already exists.\nAre you sure you want to save?"),
               QStringLiteral("File exits"));
}

void saveTextFile(const QString& path, const QByteArray& bytes)
{
    QString reason;
    if (!textfile::writeFile(path, bytes, &reason))
        throw AppError(
            QStringLiteral("Cannot write the file %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace evm
