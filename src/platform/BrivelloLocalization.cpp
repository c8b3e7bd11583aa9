#include "BrivelloLocalization.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <mutex>

namespace brivello {

namespace {

QHash<QString, QString> *readTable(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return nullptr;
    auto *parsed = new QHash<QString, QString>;
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        parsed->insert(it.key(), it.value().toString(it.key()));
    return parsed;
}

const QHash<QString, QString> *englishTable()
{
    static QHash<QString, QString> *table = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { table = readTable(QStringLiteral(":/i18n/en.json")); });
    return table;
}

// The few keys that are not Russian text themselves (names the system leaves to the
// platform's own tables, such as the colour presets), with their Russian text.
const QHash<QString, QString> *russianTable()
{
    static QHash<QString, QString> *table = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { table = readTable(QStringLiteral(":/i18n/ru.json")); });
    return table;
}

} // namespace

QString BrivelloLocalization::string(const QString &key)
{
    const bool english = AppLanguage::current() == AppLanguage::english;
    const auto *table = english ? englishTable() : russianTable();
    if (!table)
        return key;
    return table->value(key, key);
}

bool BrivelloLocalization::hasEnglishTable()
{
    return englishTable() != nullptr;
}

} // namespace brivello
