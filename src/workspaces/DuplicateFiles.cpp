#include "DuplicateFiles.h"

#include "DuplicateHasher.h"
#include "platform/LocalFile.h"

#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <sys/stat.h>

namespace brivello {

namespace {
constexpr double kProbableDurationSpread = 3.0;
constexpr int kMinimumTitleLength = 5;
constexpr int kMinimumTitleLengthWithoutArtist = 12;

int graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QString titleText(const Track &track)
{
    if (!track.tags.title.isEmpty())
        return track.tags.title;
    return LocalFile::displayName(QFileInfo(LocalFile::path(track.url)).completeBaseName());
}
} // namespace

// Each root is looked at once: a folder root matches by path prefix, any other root exactly.
QList<Track> DuplicateFiles::tracksInScope(const QList<Track> &tracks, const QList<QUrl> &roots)
{
    if (roots.isEmpty())
        return tracks;
    QList<std::pair<QByteArray, bool>> paths;
    for (const QUrl &root : roots) {
        QByteArray rootPath = LocalFile::cleanPath(LocalFile::nativePath(root));
        const bool folder = LocalFile::isDirectory(root);
        if (folder && !rootPath.endsWith('/'))
            rootPath.append('/');
        paths.append({rootPath, folder});
    }
    QList<Track> inScope;
    for (const Track &track : tracks) {
        const QByteArray path = LocalFile::cleanPath(LocalFile::nativePath(track.url));
        for (const auto &[rootPath, folder] : std::as_const(paths)) {
            if (folder ? path.startsWith(rootPath) : path == rootPath) {
                inScope.append(track);
                break;
            }
        }
    }
    return inScope;
}

QList<DuplicateFiles::SizedFile> DuplicateFiles::sizeFiles(const QList<Track> &tracks)
{
    QList<SizedFile> sized;
    sized.reserve(tracks.size());
    QHash<std::pair<quint64, quint64>, QUuid> firstByIdentity;
    for (const Track &track : tracks) {
        SizedFile file;
        struct stat info
        {
        };
        if (::stat(LocalFile::nativePath(track.url).constData(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            file.byteCount = static_cast<qint64>(info.st_size);
            file.device = static_cast<quint64>(info.st_dev);
            const std::pair<quint64, quint64> identity{info.st_dev, info.st_ino};
            const auto first = firstByIdentity.constFind(identity);
            if (first != firstByIdentity.constEnd())
                file.aliasOf = *first;
            else
                firstByIdentity.insert(identity, track.id);
        }
        sized.append(file);
    }
    return sized;
}

QList<DuplicateFiles::Candidate>
DuplicateFiles::sameSizeCandidates(const QList<Candidate> &candidates)
{
    QHash<qint64, int> counts;
    for (const Candidate &candidate : candidates)
        ++counts[candidate.byteCount];
    QList<Candidate> kept;
    for (const Candidate &candidate : candidates) {
        if (counts.value(candidate.byteCount) > 1)
            kept.append(candidate);
    }
    // Same-size runs together, each in scope order, sizes in first-seen order.
    QHash<qint64, int> firstIndex;
    for (int i = 0; i < kept.size(); ++i)
        firstIndex.insert(kept[i].byteCount, std::min(firstIndex.value(kept[i].byteCount, i), i));
    std::stable_sort(
        kept.begin(), kept.end(), [&firstIndex](const Candidate &a, const Candidate &b) {
            return firstIndex.value(a.byteCount) < firstIndex.value(b.byteCount);
        });
    return kept;
}

std::optional<QString> DuplicateFiles::sha256(const QUrl &url, std::atomic<qint64> *bytesRead)
{
    const std::optional<qint64> size = LocalFile::fileSize(url);
    if (!size)
        return std::nullopt;
    return DuplicateHasher::sha256({QUuid(), url, *size}, bytesRead);
}

QList<AudioDuplicateGroup> DuplicateFiles::duplicateGroups(const DigestGroups &digests)
{
    QList<AudioDuplicateGroup> groups;
    for (const auto &[digest, files] : digests) {
        if (files.size() < 2)
            continue;
        AudioDuplicateGroup group{digest, {}, files.first().byteCount, DuplicateMatchKind::exact};
        for (const Candidate &file : files)
            group.trackIDs.append(file.id);
        groups.append(group);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) {
        return a.trackIDs.size() * a.byteCount > b.trackIDs.size() * b.byteCount;
    });
    return groups;
}

QList<AudioDuplicateGroup> DuplicateFiles::probableDuplicateGroups(const QList<Track> &tracks)
{
    QList<QString> keys;
    QHash<QString, QList<Track>> byKey;
    for (const Track &track : tracks) {
        const QString title = normalizedDuplicateText(titleText(track));
        const QString artist = normalizedDuplicateText(track.tags.artist);
        const int titleLength = graphemeCount(title);
        if (titleLength < kMinimumTitleLength || track.duration <= 0 ||
            (artist.isEmpty() && titleLength < kMinimumTitleLengthWithoutArtist))
            continue;
        const QString key = artist + QLatin1Char('|') + title;
        if (!byKey.contains(key))
            keys.append(key);
        byKey[key].append(track);
    }
    QList<AudioDuplicateGroup> groups;
    for (const QString &key : std::as_const(keys)) {
        QList<Track> members = byKey.value(key);
        if (members.size() < 2)
            continue;
        std::stable_sort(members.begin(), members.end(), [](const Track &a, const Track &b) {
            return a.duration < b.duration;
        });
        if (std::abs(members.last().duration - members.first().duration) > kProbableDurationSpread)
            continue;
        AudioDuplicateGroup group{
            QStringLiteral("probable-") + key, {}, 0, DuplicateMatchKind::probable};
        std::optional<qint64> smallest;
        for (const Track &member : std::as_const(members)) {
            group.trackIDs.append(member.id);
            if (const std::optional<qint64> size = LocalFile::fileSize(member.url))
                smallest = std::min(smallest.value_or(*size), *size);
        }
        group.byteCount = smallest.value_or(0);
        groups.append(group);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const auto &a, const auto &b) {
        return a.trackIDs.size() > b.trackIDs.size();
    });
    return groups;
}

// Case, diacritic and width folding, then words of letters, marks and digits joined by spaces.
QString DuplicateFiles::normalizedDuplicateText(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar character : decomposed) {
        if (character.category() != QChar::Mark_NonSpacing)
            folded.append(character);
    }
    folded = folded.normalized(QString::NormalizationForm_C).toCaseFolded().toLower();
    QStringList words;
    QString word;
    for (int i = 0; i < folded.size(); ++i) {
        const char32_t code = folded[i].isHighSurrogate() && i + 1 < folded.size()
                                  ? QChar::surrogateToUcs4(folded[i], folded[i + 1])
                                  : folded[i].unicode();
        const int width = code > 0xFFFF ? 2 : 1;
        if (QChar::isLetterOrNumber(code) || QChar::isMark(code)) {
            word.append(folded.mid(i, width));
        } else if (!word.isEmpty()) {
            words.append(word);
            word.clear();
        }
        i += width - 1;
    }
    if (!word.isEmpty())
        words.append(word);
    return words.join(QLatin1Char(' '));
}

} // namespace brivello
