#pragma once

#include "AppLanguage.h"
#include "TextFormatter.h"

#include <QString>
#include <QVariant>

namespace brivello {

// Every interface text passes through here; the Russian text is the key. English comes from
// the resource table ":/i18n/en.json", loaded once; a missing entry gives the key back. The
// few keys that are not Russian (colour preset names) take their Russian from
// ":/i18n/ru.json". Callable from any thread.
class BrivelloLocalization
{
public:
    static QString string(const QString &key);

    // Looks the template up and fills it with the current language's locale.
    template <typename... Args> static QString format(const QString &key, const Args &...args)
    {
        return TextFormatter::format(
            string(key), QVariantList{QVariant::fromValue(args)...}, AppLanguage::current());
    }

    // True when the English table was found and parsed.
    static bool hasEnglishTable();
};

} // namespace brivello
