#include "output.h"

#include "options.h"

#include <QJsonDocument>
#include <QStringList>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace evm::cli {
namespace {

qsizetype progressWidth = 0; // characters of the progress line on the terminal; 0: none shown

void writeError(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// A report may span lines (a window's box has room for them); a terminal
// message is one line, so that each reads on its own in a log.
QString oneLine(const QString& text)
{
    QString out;
    for (const QString& part : text.split(QLatin1Char('\n'))) {
        const QString p = part.trimmed();
        if (p.isEmpty()) continue;
        if (!out.isEmpty())
            out += QStringView(u".:;!?").contains(out.back()) ? QLatin1String(" ") : QLatin1String(". ");
        out += p;
    }
    return out;
}

} // namespace

void Output::bytes(const QByteArray& bytes)
{
    if (failed_) return;
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) != std::size_t(bytes.size()))
        failedWith(errno);
}

void Output::line(const QString& text)
{
    bytes(text.toLocal8Bit() + '\n');
}

void Output::json(const QJsonObject& document)
{
    bytes(QJsonDocument(document).toJson(QJsonDocument::Compact) + '\n');
}

bool Output::flush()
{
    if (!failed_) {
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) failedWith(errno);
    }
    return !failed_;
}

void Output::failedWith(int error)
{
    failed_ = true;
    printError(QStringLiteral("write error: ") +
               (error ? qt_error_string(error) : QStringLiteral("unknown error")));
}

void printError(const QString& text)
{
    endProgress();
    writeError(kProgram + QByteArray(": ") + oneLine(text).toLocal8Bit() + '\n');
}

void printTrace(const QString& line)
{
    endProgress();
    writeError(line.toLocal8Bit() + '\n');
}

bool errorIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(STDERR_FILENO);
#endif
}

void showProgress(const QString& text)
{
    const QString line = QLatin1String(kProgram) + QLatin1String(": ") + text;
    // Spaces over what a longer line before left; no terminal control codes.
    const QString pad(qMax<qsizetype>(0, progressWidth - line.size()), QLatin1Char(' '));
    writeError('\r' + (line + pad).toLocal8Bit());
    progressWidth = line.size();
}

void endProgress()
{
    if (progressWidth == 0) return;
    writeError('\r' + QByteArray(progressWidth, ' ') + '\r');
    progressWidth = 0;
}

} // namespace evm::cli
