#pragma once
// Errors that end an event handler and reach the application's general error
// report, and the texts that report uses.

#include <QString>
#include <exception>

class AppError : public std::exception {
public:
    explicit AppError(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    const QString& text() const { return text_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString text_;
    QByteArray utf8_;
};

namespace apperr {
// The run-time library's conversion messages.
QString notAnInteger(const QString& text); // "'abc' は整数ではありません"
QString notAFloat(const QString& text);    // "'abc' は浮動小数点数ではありません"
// The general error report ends every text whose last character sorts after
// the full stop with a full stop.
QString withFullStop(const QString& text);
} // namespace apperr
