#include "WaveformDiskCache.h"

#include "platform/LocalFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

QString WaveformDiskCache::defaultDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("Brivello/Waveforms"));
}

QString WaveformDiskCache::secondsText(double seconds)
{
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed);
    QString text = error == std::errc() ? QString::fromLatin1(buffer, int(end - buffer))
                                        : QString::number(seconds, 'g', 17);
    if (!text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}

std::optional<QString> WaveformDiskCache::keyText(const QUrl &url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const QString path = QDir::cleanPath(QFileInfo(LocalFile::path(url)).absoluteFilePath());
    struct stat info;
    if (::stat(LocalFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    const double modified = double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(path)
        .arg(qint64(info.st_size))
        .arg(secondsText(modified))
        .arg(kSampleCount)
        .arg(kFormatVersion);
}

QString WaveformDiskCache::sha256Hex(const QString &text)
{
    // The exact bytes of a path that is not UTF-8, so that two such names never share a file.
    const QByteArray bytes = LocalFile::encodeName(text);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, EVP_sha256(), nullptr);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

std::optional<QString> WaveformDiskCache::persistentCacheFile(const QUrl &url,
                                                              const QString &directory)
{
    const std::optional<QString> key = keyText(url);
    if (!key)
        return std::nullopt;
    return QDir(directory).filePath(sha256Hex(*key) + QStringLiteral(".waveform"));
}

std::optional<std::vector<float>> WaveformDiskCache::read(const QString &file)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than wanted tells a longer file from an exact one.
    const QByteArray bytes = input.read(kFileSize + 1);
    if (bytes.size() != kFileSize)
        return std::nullopt;
    std::vector<float> envelope(kSampleCount);
    for (int i = 0; i < kSampleCount; ++i)
        envelope[size_t(i)] = qFromLittleEndian<float>(bytes.constData() + 4 * i);
    return envelope;
}

void WaveformDiskCache::save(const std::vector<float> &envelope,
                             const QString &file,
                             qint64 limitBytes)
{
    if (envelope.size() != size_t(kSampleCount))
        return;
    const QString directory = QFileInfo(file).absolutePath();
    QDir().mkpath(directory);
    QByteArray bytes(kFileSize, Qt::Uninitialized);
    for (int i = 0; i < kSampleCount; ++i)
        qToLittleEndian<float>(envelope[size_t(i)], bytes.data() + 4 * i);
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != kFileSize || !output.commit())
        return;
    prune(directory, limitBytes, file);
}

void WaveformDiskCache::prune(const QString &directory, qint64 limitBytes, const QString &keep)
{
    struct Entry
    {
        QString path;
        qint64 size;
        qint64 modified;
    };
    std::vector<Entry> entries;
    qint64 total = 0;
    QDirIterator it(directory, {QStringLiteral("*.waveform")}, QDir::Files);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.push_back(
            {info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch()});
        total += info.size();
    }
    if (total <= limitBytes)
        return;
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.modified != b.modified ? a.modified < b.modified : a.path < b.path;
    });
    const QString kept = keep.isEmpty() ? QString() : QFileInfo(keep).absoluteFilePath();
    for (const Entry &entry : entries) {
        if (total <= limitBytes)
            break;
        if (entry.path != kept && QFile::remove(entry.path))
            total -= entry.size;
    }
}

WaveformDiskCache::Lookup WaveformDiskCache::lookUp(const QUrl &url, const QString &directory)
{
    Lookup lookup;
    lookup.readable =
        url.isLocalFile() && ::access(LocalFile::nativePath(url).constData(), R_OK) == 0;
    if (!lookup.readable)
        return lookup;
    lookup.file = persistentCacheFile(url, directory);
    if (lookup.file)
        lookup.envelope = read(*lookup.file);
    return lookup;
}

} // namespace brivello
