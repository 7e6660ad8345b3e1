#pragma once
// Saving a file the user chose: the overwrite question and an atomic write
// whose failure reaches the general error report.

#include <QByteArray>
#include <QString>

class Dialogs;

// Asks before an existing file is overwritten; true when the save may go on.
bool confirmOverwrite(Dialogs& dialogs, const QString& path);

// Replaces the file with bytes, or leaves the old file whole and throws
// AppError with a text naming the file.
void saveTextFile(const QString& path, const QByteArray& bytes);
