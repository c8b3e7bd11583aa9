#include "DuplicateGroupRows.h"

#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <QHash>
#include <QSet>
#include <cmath>

namespace brivello {

namespace {

QHash<QUuid, qsizetype> positions(const QList<Track> &files)
{
    QHash<QUuid, qsizetype> index;
    index.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i)
        index.insert(files.at(i).id, i);
    return index;
}

// The files are indexed once per list of groups, not once per group.
QList<Track> tracksAt(const AudioDuplicateGroup &group,
                      const QList<Track> &files,
                      const QHash<QUuid, qsizetype> &index)
{
    QList<Track> result;
    for (const QUuid &id : group.trackIDs) {
        const auto it = index.constFind(id);
        if (it != index.cend())
            result.append(files.at(*it));
    }
    return result;
}

} // namespace

QList<Track> DuplicateGroupRows::tracksIn(const AudioDuplicateGroup &group,
                                          const QList<Track> &files)
{
    return tracksAt(group, files, positions(files));
}

QList<DuplicateGroupRows::Row> DuplicateGroupRows::rows(const QList<AudioDuplicateGroup> &groups,
                                                        const QList<Track> &files)
{
    QList<Row> result;
    const QHash<QUuid, qsizetype> index = positions(files);
    for (int g = 0; g < groups.size(); ++g) {
        result.append(Row{g, true, {}, false});
        const QList<Track> tracks = tracksAt(groups.at(g), files, index);
        for (const Track &track : tracks)
            result.append(Row{g, false, track, false});
        result.last().isLastOfGroup = true;
    }
    return result;
}

QList<Track> DuplicateGroupRows::navigableTracks(const QList<AudioDuplicateGroup> &groups,
                                                 const QList<Track> &files)
{
    QList<Track> result;
    QSet<QUuid> seen;
    const QHash<QUuid, qsizetype> index = positions(files);
    for (const AudioDuplicateGroup &group : groups) {
        for (const Track &track : tracksAt(group, files, index)) {
            if (!seen.contains(track.id)) {
                seen.insert(track.id);
                result.append(track);
            }
        }
    }
    return result;
}

QString DuplicateGroupRows::phaseTitle(DuplicateSearchState::Phase phase)
{
    switch (phase) {
    case DuplicateSearchState::Phase::idle:
        return {};
    case DuplicateSearchState::Phase::metadata:
        return QStringLiteral("Читаем метаданные");
    case DuplicateSearchState::Phase::preparing:
        return QStringLiteral("Готовим кандидатов");
    case DuplicateSearchState::Phase::hashing:
        return QStringLiteral("Сверяем содержимое файлов");
    case DuplicateSearchState::Phase::matching:
        break;
    }
    return QStringLiteral("Сопоставляем результаты");
}

QString DuplicateGroupRows::phaseDetail(DuplicateSearchState::Phase phase, qint64 candidateCount)
{
    switch (phase) {
    case DuplicateSearchState::Phase::idle:
        return QStringLiteral("Готовим список файлов…");
    case DuplicateSearchState::Phase::metadata:
        return QStringLiteral("Считываем название, исполнителя и длительность");
    case DuplicateSearchState::Phase::preparing:
        return QStringLiteral("Проверяем размеры файлов");
    case DuplicateSearchState::Phase::hashing:
        return candidateCount < 1 ? QStringLiteral("Отбираем файлы для проверки")
                                  : QStringLiteral("Хешируем совпавшие по размеру кандидаты");
    case DuplicateSearchState::Phase::matching:
        break;
    }
    return QStringLiteral("Группируем точные и вероятные совпадения");
}

QString DuplicateGroupRows::percentText(double progress)
{
    const double value = std::isfinite(progress) ? std::trunc(progress * 100) : 0;
    return QString::number(qint64(value)) + QLatin1Char('%');
}

QString DuplicateGroupRows::scopeTitle(const QList<QUrl> &roots, AppLanguage language)
{
    if (roots.isEmpty())
        return BrivelloLocalization::string(QStringLiteral("Источник не выбран"));
    if (roots.size() == 1)
        return LocalFile::displayName(LocalFile::path(roots.first()));
    return QString::number(roots.size()) + (language == AppLanguage::english
                                                ? QStringLiteral(" sources")
                                                : QStringLiteral(" источника"));
}

} // namespace brivello
