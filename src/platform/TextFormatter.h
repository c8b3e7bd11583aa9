#pragma once

#include "AppLanguage.h"

#include <QString>
#include <QVariant>

namespace brivello {

// printf-style formatting of interface texts: %d %i %ld %lld %u %@ %s %% %f %.Nf and
// positional %1$@. Numbers get the language's decimal separator and no digit grouping.
class TextFormatter
{
public:
    static QString format(const QString &templ, const QVariantList &args, AppLanguage language);
};

} // namespace brivello
