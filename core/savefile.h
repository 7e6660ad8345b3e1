#pragma once
// Saving a file the user chose: the overwrite question and a write that never
// leaves a cut file, whose failure reaches the general error report.

#include <QByteArray>
#include <QString>

#include <functional>

namespace evm {

// Yes/No question with a caption; true for Yes.
using AskFn = std::function<bool(const QString& text, const QString& caption)>;

// Asks before an existing file is overwritten; true when the save may go on.
bool confirmOverwrite(const AskFn& ask, const QString& path);

// Replaces the file with bytes, or leaves the old file whole and throws
// AppError with a text naming the file and the reason. A FIFO, a device or
// an open descriptor (/dev/stdout) is written into, never replaced.
void saveTextFile(const QString& path, const QByteArray& bytes);

// Makes a write beyond the process's file-size limit fail with "File too
// large", which a save reports, instead of ending the process (SIGXFSZ is
// ignored where the platform has it). Each program calls it once at start.
void ignoreFileSizeSignal();

} // namespace evm
