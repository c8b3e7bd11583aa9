#pragma once

#include <QString>
#include <optional>

namespace brivello {

// Why a move into or out of the Trash failed; the text is ready to show.
struct TrashError
{
    enum Kind { noSuchFile, fileExists, noTrashOnVolume, permissionDenied, other };
    Kind kind = other;
    QString description;
};

// Either the path inside the Trash or the failure.
struct TrashOutcome
{
    QString trashedPath;
    std::optional<TrashError> error;
};

// The freedesktop.org Trash: the home Trash under $XDG_DATA_HOME/Trash for files on its file
// system, $topdir/.Trash/$uid or $topdir/.Trash-$uid for files on other volumes. Missing
// folders are created. Nothing is ever overwritten. Main thread; tests may subclass it.
class Trash
{
public:
    virtual ~Trash() = default;

    // The real Trash; tests hand a fake to the store that uses it instead.
    static Trash &shared();

    virtual TrashOutcome trashItem(const QString &path);
    // Moves the file back and removes its .trashinfo. Fails with noSuchFile when the Trash
    // entry is gone and with fileExists when the original place is taken.
    virtual std::optional<TrashError> restoreItem(const QString &trashedPath,
                                                  const QString &originalPath);

    // Renames within one file system and never replaces: fileExists when `to` is taken.
    static std::optional<TrashError> moveItem(const QString &from, const QString &to);

    static QString homeTrashPath();
    // The "Path=" value of a .trashinfo: the bytes of the path, percent-encoded.
    static QByteArray encodedInfoPath(const QString &path);
    static QString decodedInfoPath(const QByteArray &value);

    static TrashError makeError(TrashError::Kind kind, const QString &path, int errorNumber = 0);
};

} // namespace brivello
