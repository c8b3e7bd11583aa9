#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace brivello {

// Copying favourite files into a folder the user chose, optionally one subfolder per genre.
// The functions are pure or touch only the files named; `copy` runs on a worker thread.
class FavoritesExport
{
public:
    struct Job
    {
        QUrl source;
        std::optional<QString> genreFolder; // none: straight into the chosen folder
    };

    // The folder name for a genre: pieces between "/", ":" and control characters joined by
    // " – ", trimmed of blanks and dots, at most 120 characters and 255 UTF-8 bytes; the
    // fallback when nothing is left.
    static QString genreFolderName(const QString &genre, const QString &fallback);

    // Copies every job in order, never overwriting: an existing name gets " (2)", " (3)", ...
    // before the extension. Returns one line "name: reason" per file that failed.
    static QStringList copy(const QList<Job> &jobs, const QString &folder);

    // The first name not taken in the folder for a file named `fileName`.
    static QString freeTargetPath(const QString &folder, const QString &fileName);

    static constexpr int kMaxGenreCharacters = 120;
    static constexpr int kMaxNameBytes = 255;
};

} // namespace brivello
