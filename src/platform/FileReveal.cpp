#include "FileReveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>

namespace brivello {

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kObjectPath = QStringLiteral("/org/freedesktop/FileManager1");

} // namespace

FileReveal &FileReveal::shared()
{
    static FileReveal real;
    return real;
}

QStringList FileReveal::itemURIs(const QList<QUrl> &urls)
{
    QStringList uris;
    for (const QUrl &url : urls)
        uris.append(QString::fromUtf8(url.toEncoded()));
    return uris;
}

QList<QUrl> FileReveal::foldersOf(const QList<QUrl> &urls)
{
    QList<QUrl> folders;
    for (const QUrl &url : urls) {
        // Adjusting the address keeps its percent-encoded bytes; a path through QString would not.
        const QUrl folder = url.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash);
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

void FileReveal::reveal(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolders(foldersOf(urls));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kObjectPath, kService, QStringLiteral("ShowItems"));
    call << itemURIs(urls) << QString();
    // Asynchronous: D-Bus activation of a file manager may take a while.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    const QList<QUrl> folders = foldersOf(urls);
    QObject::connect(watcher,
                     &QDBusPendingCallWatcher::finished,
                     watcher,
                     [this, folders](QDBusPendingCallWatcher *finished) {
                         if (finished->isError())
                             openFolders(folders);
                         finished->deleteLater();
                     });
}

void FileReveal::openFolders(const QList<QUrl> &folders)
{
    for (const QUrl &folder : folders)
        QDesktopServices::openUrl(folder);
}

} // namespace brivello
