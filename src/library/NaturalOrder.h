#pragma once

#include <QCollator>
#include <QString>

namespace brivello {

// The file-manager order of names and paths: case-insensitive, digit runs compared by value,
// following the current locale (English rules when the locale is "C"). A collator is not
// shared between threads: each instance belongs to the thread that made it.
class NaturalOrder
{
public:
    // `numeric` off gives the plain localised case-insensitive order.
    explicit NaturalOrder(bool numeric = true);

    int compare(const QString &a, const QString &b) const;
    // Keys compare in the same order as compare() but faster; sort big lists with them.
    QCollatorSortKey sortKey(const QString &text) const { return m_collator.sortKey(text); }

private:
    QCollator m_collator;
};

} // namespace brivello
