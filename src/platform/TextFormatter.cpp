#include "TextFormatter.h"

#include <QLocale>

namespace brivello {

namespace {

QString formatNumber(const QVariant &value, QChar conversion, int precision, AppLanguage language)
{
    QLocale locale(language == AppLanguage::english ? QLocale::English : QLocale::Russian);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (conversion == QLatin1Char('f') || conversion == QLatin1Char('g'))
        return locale.toString(value.toDouble(), 'f', precision < 0 ? 6 : precision);
    return locale.toString(value.toLongLong());
}

} // namespace

QString TextFormatter::format(const QString &templ, const QVariantList &args, AppLanguage language)
{
    QString out;
    out.reserve(templ.size() + 16);
    int nextArg = 0;
    const int n = templ.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = templ.at(i);
        if (c != QLatin1Char('%') || i + 1 >= n) {
            out.append(c);
            continue;
        }
        int j = i + 1;
        if (templ.at(j) == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            i = j;
            continue;
        }
        // Optional position "N$".
        int position = -1;
        int k = j;
        while (k < n && templ.at(k).isDigit())
            ++k;
        if (k > j && k < n && templ.at(k) == QLatin1Char('$')) {
            position = templ.mid(j, k - j).toInt() - 1;
            j = k + 1;
        }
        // Optional precision ".N".
        int precision = -1;
        if (j < n && templ.at(j) == QLatin1Char('.')) {
            k = j + 1;
            while (k < n && templ.at(k).isDigit())
                ++k;
            precision = templ.mid(j + 1, k - j - 1).toInt();
            j = k;
        }
        while (j < n && (templ.at(j) == QLatin1Char('l') || templ.at(j) == QLatin1Char('h') ||
                         templ.at(j) == QLatin1Char('q')))
            ++j;
        if (j >= n) {
            out.append(templ.mid(i));
            break;
        }
        const QChar conversion = templ.at(j);
        const int argIndex = position >= 0 ? position : nextArg++;
        const QVariant arg = argIndex < args.size() ? args.at(argIndex) : QVariant();
        switch (conversion.unicode()) {
        case '@':
        case 's':
            out.append(arg.toString());
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'f':
        case 'g':
            out.append(formatNumber(arg, conversion, precision, language));
            break;
        default:
            out.append(templ.mid(i, j - i + 1));
            break;
        }
        i = j;
    }
    return out;
}

} // namespace brivello
