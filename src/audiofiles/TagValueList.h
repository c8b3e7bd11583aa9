#pragma once

#include <QString>
#include <QStringList>

namespace brivello {

// A field that holds several values (two genres, two album artists) is shown as one text, the
// values joined with "; ". A rewrite puts the values back one by one as long as the user left
// that text as it was. Pure functions; any thread.
class TagValueList
{
public:
    static QString joined(const QStringList &values);
    // Whether the file's `values` stand for `shown` unchanged and are more than one value, so
    // the rewrite should write them back rather than `shown` as a single value.
    static bool keepsValues(const QStringList &values, const QString &shown);
};

} // namespace brivello
