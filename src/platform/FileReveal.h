#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace brivello {

// Shows files in the desktop's file manager: org.freedesktop.FileManager1.ShowItems over the
// session bus, falling back to opening their folders. Main thread; returns at once. Tests may
// subclass it.
class FileReveal
{
public:
    virtual ~FileReveal() = default;

    // The real one; tests hand a fake to the store that uses it instead.
    static FileReveal &shared();

    virtual void reveal(const QList<QUrl> &urls);

    // The folders opened when no file manager answers: each file's folder once, in order.
    static QList<QUrl> foldersOf(const QList<QUrl> &urls);
    // The "uris" argument of ShowItems.
    static QStringList itemURIs(const QList<QUrl> &urls);

protected:
    virtual void openFolders(const QList<QUrl> &folders);
};

} // namespace brivello
