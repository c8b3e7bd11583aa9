#pragma once

#include <QString>
#include <QUrl>

namespace brivello {

// Equality of implicitly shared values, their shared data compared first: copies of one
// another (a library's tracks and the rows or caches taken from them) answer at once.
inline bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

inline bool sameURL(const QUrl &a, const QUrl &b)
{
    return const_cast<QUrl &>(a).data_ptr() == const_cast<QUrl &>(b).data_ptr() || a == b;
}

} // namespace brivello
