#pragma once

#include "BrivelloLocalization.h"

#include <QString>
#include <QVariant>

namespace brivello {

// An interface text kept as its key and arguments, so that a result made earlier is shown in
// the language of the moment it is drawn. A plain value; may cross threads.
class LocalizedText
{
public:
    LocalizedText() = default;
    explicit LocalizedText(QString key, QVariantList arguments = {})
        : m_key(std::move(key))
        , m_arguments(std::move(arguments))
    {}
    template <typename... Args> static LocalizedText format(const QString &key, const Args &...args)
    {
        return LocalizedText(key, QVariantList{QVariant::fromValue(args)...});
    }

    const QString &key() const { return m_key; }
    const QVariantList &arguments() const { return m_arguments; }
    bool isEmpty() const { return m_key.isEmpty(); }
    // Looked up and filled in now, in the current language.
    QString text() const;

    bool operator==(const LocalizedText &other) const = default;

private:
    QString m_key;
    QVariantList m_arguments;
};

} // namespace brivello
