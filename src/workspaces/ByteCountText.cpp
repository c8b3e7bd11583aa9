#include "ByteCountText.h"

#include <QLocale>
#include <array>
#include <cmath>

namespace brivello {

namespace {

struct Unit
{
    const char *english;
    const char *russian;
    int decimals;
};

constexpr std::array<Unit, 5> kUnits{
    {{"KB", "КБ", 0}, {"MB", "МБ", 1}, {"GB", "ГБ", 2}, {"TB", "ТБ", 2}, {"PB", "ПБ", 2}}};

} // namespace

QString ByteCountText::fileStyle(qint64 bytes, AppLanguage language)
{
    const bool english = language == AppLanguage::english;
    QLocale locale(english ? QLocale::English : QLocale::Russian);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const qint64 magnitude = bytes < 0 ? -bytes : bytes;
    if (magnitude == 0)
        return english ? QStringLiteral("Zero KB") : QStringLiteral("0 КБ");
    if (magnitude < 1000) {
        const QString number = locale.toString(bytes);
        if (english)
            return number + (magnitude == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
        return number + QStringLiteral(" байт");
    }
    double value = double(bytes) / 1000.0;
    std::size_t unit = 0;
    // Moves up a unit when rounding would print 1000 of the smaller one.
    while (unit + 1 < kUnits.size()) {
        const double scale = std::pow(10.0, kUnits[unit].decimals);
        if (std::abs(std::round(value * scale) / scale) < 1000.0)
            break;
        value /= 1000.0;
        ++unit;
    }
    QString number = locale.toString(value, 'f', kUnits[unit].decimals);
    // Trailing zeros of the fraction are not shown: "5 MB", "1.5 GB".
    const QChar point = locale.decimalPoint().at(0);
    if (number.contains(point)) {
        while (number.endsWith(QLatin1Char('0')))
            number.chop(1);
        if (number.endsWith(point))
            number.chop(1);
    }
    return number + QLatin1Char(' ') +
           QString::fromUtf8(english ? kUnits[unit].english : kUnits[unit].russian);
}

} // namespace brivello
