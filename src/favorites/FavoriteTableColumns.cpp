#include "FavoriteTableColumns.h"

#include "platform/BrivelloLocalization.h"

#include <QHash>

namespace brivello {

namespace {

struct ColumnInfo
{
    double width;
    const char *titleKey; // nullptr: a fixed title
    const char *fixedTitle;
    const char *placeholderKey;
    int tagField;
};

// Field indexes of AudioTags: title 0, artist 1, album 2, genre 4, year 5, track 6, comment 7.
const QHash<QString, ColumnInfo> &columnInfo()
{
    static const QHash<QString, ColumnInfo> info = {
        {FavoriteTableColumns::kFavorite, {42, nullptr, "\u2665", nullptr, -1}},
        {FavoriteTableColumns::kPlaying, {10, nullptr, "", nullptr, -1}},
        {FavoriteTableColumns::kArtist, {180, "ИСПОЛНИТЕЛЬ", nullptr, "Исполнитель", 1}},
        {FavoriteTableColumns::kTitle, {260, "НАЗВАНИЕ", nullptr, "Название", 0}},
        {FavoriteTableColumns::kAlbum, {180, "АЛЬБОМ", nullptr, "Альбом", 2}},
        {FavoriteTableColumns::kGenre, {170, "ЖАНР", nullptr, "Введите жанр", 4}},
        {FavoriteTableColumns::kYear, {65, "ГОД", nullptr, "Год", 5}},
        {FavoriteTableColumns::kTrack, {65, "ТРЕК", nullptr, "№", 6}},
        {FavoriteTableColumns::kComment, {200, "КОММЕНТАРИЙ", nullptr, "Комментарий", 7}},
        {FavoriteTableColumns::kBPM, {76, nullptr, "BPM", nullptr, -1}},
        {FavoriteTableColumns::kFormat, {75, "ФОРМАТ", nullptr, nullptr, -1}},
        {FavoriteTableColumns::kKbps, {75, nullptr, "KBPS", nullptr, -1}},
    };
    return info;
}

} // namespace

const QStringList &FavoriteTableColumns::defaultOrder()
{
    static const QStringList order = {kFavorite,
                                      kPlaying,
                                      kArtist,
                                      kTitle,
                                      kAlbum,
                                      kGenre,
                                      kYear,
                                      kTrack,
                                      kComment,
                                      kBPM,
                                      kFormat,
                                      kKbps};
    return order;
}

double FavoriteTableColumns::defaultWidth(const QString &id)
{
    const auto found = columnInfo().constFind(id);
    return found == columnInfo().constEnd() ? 100 : found->width;
}

double FavoriteTableColumns::minimumWidth(const QString &id)
{
    if (id == kFavorite)
        return 24;
    if (id == kPlaying)
        return kPlayingWidth;
    return 55;
}

bool FavoriteTableColumns::isEditable(const QString &id)
{
    return tagField(id) >= 0;
}

int FavoriteTableColumns::tagField(const QString &id)
{
    const auto found = columnInfo().constFind(id);
    return found == columnInfo().constEnd() ? -1 : found->tagField;
}

QString FavoriteTableColumns::title(const QString &id)
{
    const auto found = columnInfo().constFind(id);
    if (found == columnInfo().constEnd())
        return id;
    if (found->titleKey)
        return BrivelloLocalization::string(QString::fromUtf8(found->titleKey));
    return QString::fromUtf8(found->fixedTitle);
}

QString FavoriteTableColumns::placeholder(const QString &id)
{
    const auto found = columnInfo().constFind(id);
    if (found == columnInfo().constEnd() || !found->placeholderKey)
        return {};
    return BrivelloLocalization::string(QString::fromUtf8(found->placeholderKey));
}

} // namespace brivello
