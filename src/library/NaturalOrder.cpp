#include "NaturalOrder.h"

#include <QLocale>

namespace brivello {

namespace {
QLocale collationLocale()
{
    // The "C" locale would make the collator a plain code-point comparison without numbers.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C || system.language() == QLocale::AnyLanguage)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}
} // namespace

NaturalOrder::NaturalOrder(bool numeric)
    : m_collator(collationLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(numeric);
}

int NaturalOrder::compare(const QString &a, const QString &b) const
{
    return m_collator.compare(a, b);
}

} // namespace brivello
