#include "GenreCatalogue.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace brivello {

namespace {

QCollator &collator()
{
    // QCollator is not safe to share between threads.
    thread_local QCollator instance = [] {
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator made(locale);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return instance;
}

QString withoutExtension(const QUrl &url)
{
    QString path = url.toLocalFile();
    const QString extension = pathExtension(url);
    if (!extension.isEmpty())
        path.chop(extension.size() + 1);
    return path;
}

} // namespace

int GenreCatalogue::compareNames(const QString &a, const QString &b)
{
    return collator().compare(a, b);
}

void GenreCatalogue::sortByName(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return compareNames(a, b) < 0;
    });
}

QString GenreCatalogue::folded(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString kept;
    kept.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            kept.append(c);
    }
    return kept.toCaseFolded().normalized(QString::NormalizationForm_C);
}

QString GenreCatalogue::matchForm(const QString &text)
{
    QString form = folded(text);
    form.replace(QLatin1Char('_'), QLatin1Char(' '));
    form.replace(QLatin1Char('-'), QLatin1Char(' '));
    return form;
}

QStringList GenreCatalogue::splitList(const QString &raw)
{
    QStringList pieces;
    for (const QString &line : raw.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        for (const QString &piece : line.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString trimmed = piece.trimmed();
            if (!trimmed.isEmpty())
                pieces.append(trimmed);
        }
    }
    return pieces;
}

QStringList GenreCatalogue::genres(const QString &genreListRaw)
{
    QStringList list = splitList(genreListRaw);
    sortByName(list);
    return list;
}

QStringList GenreCatalogue::quickGenreSlots(const QString &quickGenreSlotsRaw)
{
    QStringList slotList = quickGenreSlotsRaw.split(QLatin1Char('\n'));
    while (slotList.size() < kQuickSlotCount)
        slotList.append(QString());
    slotList = slotList.mid(0, kQuickSlotCount);
    for (QString &slot : slotList)
        slot = slot.trimmed();
    return slotList;
}

QStringList GenreCatalogue::recentGenres(const QString &recentGenresRaw)
{
    QStringList list;
    for (const QString &piece : recentGenresRaw.split(QLatin1Char('\n'))) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            list.append(trimmed);
    }
    return list;
}

QString GenreCatalogue::settingQuickGenre(const QString &quickGenreSlotsRaw,
                                          const QString &genre,
                                          int index)
{
    if (index < 0 || index >= kQuickSlotCount)
        return quickGenreSlotsRaw;
    QStringList slotList = quickGenreSlots(quickGenreSlotsRaw);
    slotList[index] = genre.trimmed();
    return slotList.join(QLatin1Char('\n'));
}

QString GenreCatalogue::recordingRecentGenre(const QString &recentGenresRaw, const QString &genre)
{
    const QString trimmed = genre.trimmed();
    if (trimmed.isEmpty())
        return recentGenresRaw;
    QStringList list = recentGenres(recentGenresRaw);
    list.removeIf([&](const QString &entry) { return compareNames(entry, trimmed) == 0; });
    list.prepend(trimmed);
    return list.mid(0, kRecentLimit).join(QLatin1Char('\n'));
}

QStringList GenreCatalogue::favoriteGenreOptions(const QList<Track> &tracks)
{
    QStringList options;
    for (const Track &track : tracks) {
        if (track.isFavorite && !track.tags.genre.isEmpty() && !options.contains(track.tags.genre))
            options.append(track.tags.genre);
    }
    sortByName(options);
    return options;
}

QStringList GenreCatalogue::suggestions(const QList<Track> &tracks,
                                        const QSet<QUuid> &ids,
                                        const QStringList &genres)
{
    QList<const Track *> selected;
    QSet<QString> artistKeys;
    for (const Track &track : tracks) {
        if (!ids.contains(track.id))
            continue;
        selected.append(&track);
        const QString key = matchForm(track.tags.artist);
        if (!key.isEmpty())
            artistKeys.insert(key);
    }
    if (selected.isEmpty())
        return {};

    // Insertion-ordered, so equal scores with equal names come out in a fixed order.
    QList<std::pair<QString, int>> scores;
    const auto add = [&scores](const QString &genre, int points) {
        for (auto &entry : scores) {
            if (entry.first == genre) {
                entry.second += points;
                return;
            }
        }
        scores.append({genre, points});
    };

    for (const Track &track : tracks) {
        const QString genre = track.tags.genre.trimmed();
        if (ids.contains(track.id) || genre.isEmpty())
            continue;
        if (artistKeys.contains(matchForm(track.tags.artist)))
            add(genre, 3);
    }
    for (const Track *track : selected) {
        const QString pathForm = matchForm(withoutExtension(track->url));
        QSet<QString> counted;
        for (const QString &entry : genres) {
            if (!counted.contains(entry) && pathForm.contains(matchForm(entry))) {
                counted.insert(entry);
                add(entry, 2);
            }
        }
    }

    std::stable_sort(scores.begin(), scores.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return compareNames(a.first, b.first) < 0;
    });
    QStringList result;
    for (const auto &entry : scores.mid(0, kSuggestionLimit))
        result.append(entry.first);
    return result;
}

GenreCatalogue::Normalized GenreCatalogue::normalized(const QString &genreListRaw,
                                                      const QString &quickGenreSlotsRaw)
{
    QStringList kept;
    QSet<QString> seen;
    for (const QString &piece : splitList(genreListRaw)) {
        const QString key = folded(piece);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        kept.append(piece);
    }
    sortByName(kept);
    Normalized result;
    result.genreListRaw = kept.join(QStringLiteral(", "));

    QSet<QString> allowed;
    for (const QString &genre : genres(result.genreListRaw))
        allowed.insert(folded(genre));
    QStringList slotList = quickGenreSlots(quickGenreSlotsRaw);
    for (QString &slot : slotList) {
        if (!slot.isEmpty() && !allowed.contains(folded(slot)))
            slot.clear();
    }
    result.quickGenreSlotsRaw = slotList.join(QLatin1Char('\n'));
    return result;
}

} // namespace brivello
