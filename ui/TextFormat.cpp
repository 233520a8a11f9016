#include "ui/TextFormat.h"

QString FormatText(const QString& format, std::initializer_list<QVariant> arguments) {
    QString result;
    result.reserve(format.size() + 16);
    auto next = arguments.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            result += c;
            continue;
        }
        const QChar kind = format[i + 1];
        if (kind == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        const bool known = kind == QLatin1Char('d') || kind == QLatin1Char('u') ||
                           kind == QLatin1Char('X') || kind == QLatin1Char('s');
        if (!known || next == arguments.end()) {
            result += c;
            continue;
        }
        const QVariant& value = *next++;
        if (kind == QLatin1Char('s')) {
            result += value.toString();
        } else if (kind == QLatin1Char('X')) {
            result += QString::number(value.toULongLong(), 16).toUpper();
        } else if (kind == QLatin1Char('u')) {
            result += QString::number(value.toULongLong());
        } else {
            result += QString::number(value.toLongLong());
        }
        ++i;
    }
    return result;
}
