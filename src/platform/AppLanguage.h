#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace brivello {

inline const QString kAppLanguageKey = QStringLiteral("appLanguage");

// The interface language. The settings that own "appLanguage" set the current one whenever
// the stored value changes (english only for "en"); russian until they do. Any thread.
class AppLanguage
{
public:
    enum Value { russian, english };

    constexpr AppLanguage(Value value = russian)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    static AppLanguage current();
    static void setCurrent(AppLanguage language);
    static std::optional<AppLanguage> fromRawValue(const QString &raw);
    static QList<AppLanguage> allCases() { return {russian, english}; }

    QString rawValue() const;
    QString label() const;

private:
    Value m_value;
};

} // namespace brivello
