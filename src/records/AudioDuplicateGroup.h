#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace brivello {

enum class DuplicateMatchKind { exact, probable };

inline QString rawValue(DuplicateMatchKind kind)
{
    return kind == DuplicateMatchKind::exact ? QStringLiteral("exact") : QStringLiteral("probable");
}

inline std::optional<DuplicateMatchKind> duplicateMatchKind(const QString &raw)
{
    if (raw == QLatin1String("exact"))
        return DuplicateMatchKind::exact;
    if (raw == QLatin1String("probable"))
        return DuplicateMatchKind::probable;
    return std::nullopt;
}

// One group of files the duplicate finder considers the same recording.
struct AudioDuplicateGroup
{
    QString id;
    QList<QUuid> trackIDs;
    qint64 byteCount = 0;
    DuplicateMatchKind matchKind = DuplicateMatchKind::exact;
};

} // namespace brivello
