#include "BrivelloLocalization.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <mutex>

namespace brivello {

namespace {

const QHash<QString, QString> *englishTable()
{
    static QHash<QString, QString> *table = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        QFile file(QStringLiteral(":/i18n/en.json"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
        if (!doc.isObject())
            return;
        auto *parsed = new QHash<QString, QString>;
        const QJsonObject object = doc.object();
        for (auto it = object.begin(); it != object.end(); ++it)
            parsed->insert(it.key(), it.value().toString(it.key()));
        table = parsed;
    });
    return table;
}

} // namespace

QString BrivelloLocalization::string(const QString &key)
{
    if (AppLanguage::current() != AppLanguage::english)
        return key;
    const auto *table = englishTable();
    if (!table)
        return key;
    return table->value(key, key);
}

bool BrivelloLocalization::hasEnglishTable()
{
    return englishTable() != nullptr;
}

} // namespace brivello
