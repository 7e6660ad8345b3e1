#include "apperror.h"

namespace apperr {

QString notAnInteger(const QString& text)
{
    return QStringLiteral("'%1' \u306F\u6574\u6570\u3067\u306F\u3042\u308A\u307E\u305B\u3093").arg(text);
}

QString notAFloat(const QString& text)
{
    return QStringLiteral(
               "'%1' \u306F\u6D6E\u52D5\u5C0F\u6570\u70B9\u6570\u3067\u306F\u3042\u308A\u307E\u305B\u3093")
        .arg(text);
}

QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) return text + QLatin1Char('.');
    return text;
}

} // namespace apperr
