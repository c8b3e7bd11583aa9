#include "AppLanguage.h"

#include <atomic>

namespace brivello {

namespace {

// Read by text lookups on any thread.
std::atomic<AppLanguage::Value> currentLanguage{AppLanguage::russian};

} // namespace

AppLanguage AppLanguage::current()
{
    return currentLanguage.load(std::memory_order_relaxed);
}

void AppLanguage::setCurrent(AppLanguage language)
{
    currentLanguage.store(language, std::memory_order_relaxed);
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
