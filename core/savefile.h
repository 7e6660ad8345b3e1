#pragma once
// Saving a file the user chose: the overwrite question and an atomic write
// whose failure reaches the general error report.

#include <QByteArray>
#include <QString>

#include <functional>

namespace evm {

// Yes/No question with a caption; true for Yes.
using AskFn = std::function<bool(const QString& text, const QString& caption)>;

// Asks before an existing file is overwritten; true when the save may go on.
bool confirmOverwrite(const AskFn& ask, const QString& path);

// Replaces the file with bytes, or leaves the old file whole and throws
// AppError with a text naming the file.
void saveTextFile(const QString& path, const QByteArray& bytes);

} // namespace evm
