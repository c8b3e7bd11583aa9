#include "TagValueList.h"

#include "records/AudioTags.h"

namespace brivello {

QString TagValueList::joined(const QStringList &values)
{
    QStringList nonEmpty;
    for (const QString &value : values)
        if (!value.isEmpty())
            nonEmpty << value;
    return nonEmpty.join(QStringLiteral("; "));
}

bool TagValueList::keepsValues(const QStringList &values, const QString &shown)
{
    return values.size() > 1 && canonicallyEqual(joined(values), shown);
}

} // namespace brivello
