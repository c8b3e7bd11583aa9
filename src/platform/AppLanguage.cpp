#include "AppLanguage.h"

#include "Defaults.h"

namespace brivello {

AppLanguage AppLanguage::current()
{
    return Defaults::standard().string(kAppLanguageKey, QStringLiteral("ru")) == QLatin1String("en")
               ? english
               : russian;
}

std::optional<AppLanguage> AppLanguage::fromRawValue(const QString &raw)
{
    if (raw == QLatin1String("ru"))
        return AppLanguage(russian);
    if (raw == QLatin1String("en"))
        return AppLanguage(english);
    return std::nullopt;
}

QString AppLanguage::rawValue() const
{
    return m_value == english ? QStringLiteral("en") : QStringLiteral("ru");
}

QString AppLanguage::label() const
{
    return m_value == english ? QStringLiteral("English") : QStringLiteral("Русский");
}

} // namespace brivello
