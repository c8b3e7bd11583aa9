#include "FavoritesExport.h"

#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <cerrno>
#include <cstring>
#include <limits>

namespace brivello {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char(':') || c.category() == QChar::Other_Control;
}

bool isTrimmed(QChar c)
{
    return c.isSpace() || c == QLatin1Char('.');
}

QString trimmedName(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The longest prefix of whole grapheme clusters with at most `characters` clusters and
// `bytes` UTF-8 bytes.
QString prefixOfGraphemes(const QString &text, int characters, int bytes)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype cut = 0;
    int count = 0;
    while (count < characters) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        if (text.left(next).toUtf8().size() > bytes)
            break;
        cut = next;
        ++count;
    }
    return text.left(cut);
}

QString failureLine(const QString &source, const QString &reason)
{
    return LocalFile::displayName(QFileInfo(source).fileName()) + QStringLiteral(": ") + reason;
}

} // namespace

QString FavoritesExport::genreFolderName(const QString &genre, const QString &fallback)
{
    // A piece of nothing but blanks and dots counts as empty, so such a genre falls back.
    QStringList pieces;
    QString piece;
    const auto keep = [&pieces](const QString &text) {
        if (!trimmedName(text).isEmpty())
            pieces.append(text);
    };
    for (const QChar c : genre) {
        if (isSeparator(c)) {
            keep(piece);
            piece.clear();
        } else {
            piece.append(c);
        }
    }
    keep(piece);

    QString name = trimmedName(pieces.join(QStringLiteral(" \u2013 ")));
    if (name.isEmpty())
        return fallback;
    // The cut may end inside " – " or before a dot; trim again so the name stays clean.
    name = trimmedName(prefixOfGraphemes(name, kMaxGenreCharacters, kMaxNameBytes));
    return name.isEmpty() ? fallback : name;
}

QString FavoritesExport::freeTargetPath(const QString &folder, const QString &fileName)
{
    const QDir dir(folder);
    QString candidate = dir.filePath(fileName);
    if (!LocalFile::isTaken(candidate))
        return candidate;

    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? fileName : info.completeBaseName();
    for (int counter = 2;; ++counter) {
        const QString tail = QStringLiteral(" (%1)").arg(counter) +
                             (suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix);
        const int room = kMaxNameBytes - int(tail.toUtf8().size());
        candidate =
            dir.filePath(prefixOfGraphemes(base, std::numeric_limits<int>::max(), room) + tail);
        if (!LocalFile::isTaken(candidate))
            return candidate;
    }
}

QStringList FavoritesExport::copy(const QList<Job> &jobs, const QString &folder)
{
    QStringList failures;
    for (const Job &job : jobs) {
        // Paths keep the exact bytes of names that are not UTF-8 (see LocalFile).
        const QString source = LocalFile::path(job.source);
        const QString target =
            job.genreFolder ? QDir(folder).filePath(*job.genreFolder) : QDir(folder).path();
        if (LocalFile::makePath(target) != 0) {
            failures.append(failureLine(
                source,
                BrivelloLocalization::format(QStringLiteral("Не удалось создать папку «%@»"),
                                             QDir::toNativeSeparators(target))));
            continue;
        }
        const QString fileName = QFileInfo(source).fileName();
        // The copy never overwrites; a name taken meanwhile moves on to the next counter.
        int error = EEXIST;
        for (int attempt = 0; attempt < 64 && error == EEXIST; ++attempt)
            error = LocalFile::copy(source, freeTargetPath(target, fileName));
        if (error != 0)
            failures.append(failureLine(source, QString::fromLocal8Bit(std::strerror(error))));
    }
    return failures;
}

} // namespace brivello
