#include "DuplicateHasher.h"

#include "platform/LocalFile.h"

#include <QHash>
#include <QSet>
#include <QThread>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <openssl/evp.h>
#include <thread>
#include <unistd.h>
#include <xxhash.h>

namespace brivello {

namespace {

using Candidate = DuplicateFiles::Candidate;

// One file's way through the stages; each entry is written by one pool thread only.
struct FileState
{
    XXH128_hash_t hash{};
    bool failed = false;
};

struct Run
{
    const QList<Candidate> &candidates;
    DuplicateHasher::Progress *progress;
    std::vector<FileState> files;

    bool cancelled() const { return progress && progress->cancelled.load(); }
    void started(qsizetype index)
    {
        if (progress)
            progress->current = index;
    }
    void finished(qint64 count)
    {
        if (!progress || count == 0)
            return;
        progress->processed += count;
        if (progress->changed)
            progress->changed();
    }
};

// Feeds the first `limit` bytes into the hash and/or digest given. When `limit` is the size the
// file had when sized, the file must also end there: a file cut short or grown since fails.
bool readThrough(const Candidate &file,
                 qint64 limit,
                 XXH3_state_t *hash,
                 EVP_MD_CTX *digest,
                 std::atomic<qint64> *bytesRead)
{
    thread_local const std::unique_ptr<char[]> buffer(new char[DuplicateFiles::kReadSize]);
    const int descriptor =
        ::open(LocalFile::nativePath(file.url).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const std::unique_ptr<int, void (*)(int *)> closer(new int(descriptor), [](int *fd) {
        ::close(*fd);
        delete fd;
    });
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    const bool whole = limit >= file.byteCount;
    qint64 remaining = limit;
    // One read past the end confirms that a whole file stops where it did.
    while (remaining > 0 || whole) {
        const size_t wanted = static_cast<size_t>(
            std::clamp<qint64>(remaining, whole ? 1 : 0, DuplicateFiles::kReadSize));
        const ssize_t count = ::read(descriptor, buffer.get(), wanted);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return remaining == 0;
        if (count > remaining)
            return false;
        remaining -= count;
        if (bytesRead)
            *bytesRead += count;
        if (hash)
            XXH3_128bits_update(hash, buffer.get(), static_cast<size_t>(count));
        if (digest && EVP_DigestUpdate(digest, buffer.get(), static_cast<size_t>(count)) != 1)
            return false;
    }
    return true;
}

std::optional<XXH128_hash_t> contentHash(const Candidate &file, qint64 limit, Run &run)
{
    const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                         &XXH3_freeState);
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK)
        return std::nullopt;
    if (!readThrough(
            file, limit, state.get(), nullptr, run.progress ? &run.progress->bytesRead : nullptr))
        return std::nullopt;
    return XXH3_128bits_digest(state.get());
}

} // namespace

std::optional<QString> DuplicateHasher::sha256(const DuplicateFiles::Candidate &file,
                                               std::atomic<qint64> *bytesRead)
{
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    if (!readThrough(file, file.byteCount, nullptr, context.get(), bytesRead))
        return std::nullopt;
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), value, &length) != 1)
        return std::nullopt;
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(value), static_cast<int>(length)).toHex());
}

namespace {

// Runs `work` for 0..count-1 on `threads` threads, the calling one among them, and returns when
// all are done: exactly that many files are read at once.
template <typename Work> void forEachOnThreads(qsizetype count, int threads, const Work &work)
{
    std::atomic<qsizetype> next = 0;
    const auto drain = [&next, count, &work] {
        for (qsizetype i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::jthread> helpers;
    for (qsizetype t = 1; t < std::min<qsizetype>(threads, count); ++t)
        helpers.emplace_back(drain);
    drain();
}

// Files of one size whose hashes agree, in candidate order; groups in order of their first file.
QList<QList<qsizetype>> sameHash(const Run &run, const QList<qsizetype> &indexes)
{
    QHash<QByteArray, qsizetype> slot;
    QList<QList<qsizetype>> groups;
    for (qsizetype index : indexes) {
        const FileState &state = run.files[size_t(index)];
        if (state.failed)
            continue;
        QByteArray key(reinterpret_cast<const char *>(&state.hash), sizeof state.hash);
        const qint64 size = run.candidates[index].byteCount;
        key.append(reinterpret_cast<const char *>(&size), sizeof size);
        const auto found = slot.constFind(key);
        if (found == slot.constEnd()) {
            slot.insert(key, groups.size());
            groups.append(QList<qsizetype>{index});
        } else {
            groups[*found].append(index);
        }
    }
    return groups;
}

// Splits `groups` into the files left alone (done) and those of groups of two or more.
QList<qsizetype> keepShared(const QList<QList<qsizetype>> &groups, Run &run)
{
    QList<qsizetype> shared;
    for (const QList<qsizetype> &members : groups) {
        if (members.size() > 1)
            shared.append(members);
        else
            run.finished(1);
    }
    return shared;
}

} // namespace

int DuplicateHasher::defaultThreadCount(const QList<DuplicateFiles::Candidate> &candidates)
{
    QSet<quint64> disks;
    for (const Candidate &candidate : candidates)
        disks.insert(candidate.device);
    const int wanted = std::max<int>(1, int(disks.size())) * kFilesInFlightPerDisk;
    return std::clamp(QThread::idealThreadCount(), 1, wanted);
}

DuplicateHasher::Result DuplicateHasher::group(const QList<DuplicateFiles::Candidate> &candidates,
                                               int threadCount,
                                               Progress *progress)
{
    Run run{candidates, progress, std::vector<FileState>(size_t(candidates.size()))};
    const int threads = std::max(1, threadCount);
    QList<qsizetype> all(candidates.size());
    std::iota(all.begin(), all.end(), 0);
    // A file that fails a stage is done; the others are done when their fate is known.
    const auto hashStage = [&run, threads](const QList<qsizetype> &indexes, bool prefix) {
        forEachOnThreads(indexes.size(), threads, [&run, &indexes, prefix](qsizetype i) {
            const qsizetype index = indexes[i];
            FileState &state = run.files[size_t(index)];
            const Candidate &file = run.candidates[index];
            if (run.cancelled())
                return;
            run.started(index);
            const qint64 limit =
                prefix ? std::min(DuplicateFiles::kPrefixSize, file.byteCount) : file.byteCount;
            const std::optional<XXH128_hash_t> hash = contentHash(file, limit, run);
            state.hash = hash.value_or(XXH128_hash_t{});
            state.failed = !hash;
            if (state.failed)
                run.finished(1);
        });
    };
    hashStage(all, true);
    const QList<qsizetype> samePrefix = keepShared(sameHash(run, all), run);
    QList<qsizetype> longer;
    for (qsizetype index : samePrefix) {
        if (candidates[index].byteCount > DuplicateFiles::kPrefixSize)
            longer.append(index);
    }
    hashStage(longer, false);
    QList<QList<qsizetype>> contentGroups;
    for (const QList<qsizetype> &members : sameHash(run, samePrefix)) {
        if (members.size() > 1)
            contentGroups.append(members);
        else
            run.finished(1);
    }
    // The first member that reads through names its group; one that fails leaves it.
    std::vector<std::optional<QString>> ids(size_t(contentGroups.size()));
    const QList<QList<qsizetype>> &groups = contentGroups;
    forEachOnThreads(groups.size(), threads, [&run, &groups, &ids](qsizetype g) {
        for (qsizetype index : groups[g]) {
            std::optional<QString> &id = ids[size_t(g)];
            if (run.cancelled() || id)
                break;
            run.started(index);
            id = sha256(run.candidates[index], run.progress ? &run.progress->bytesRead : nullptr);
            run.files[size_t(index)].failed = !id;
        }
        run.finished(groups[g].size());
    });

    Result result;
    QHash<QString, qsizetype> byDigest;
    for (qsizetype g = 0; g < contentGroups.size(); ++g) {
        const std::optional<QString> &id = ids[size_t(g)];
        if (!id)
            continue;
        QList<Candidate> files;
        for (qsizetype index : contentGroups[g]) {
            if (!run.files[size_t(index)].failed)
                files.append(candidates[index]);
        }
        if (files.size() < 2)
            continue;
        const auto found = byDigest.constFind(*id);
        if (found != byDigest.constEnd()) {
            result.groups[*found].second.append(files);
            continue;
        }
        byDigest.insert(*id, result.groups.size());
        result.groups.append({*id, files});
    }
    for (qsizetype index = 0; index < candidates.size(); ++index) {
        if (run.files[size_t(index)].failed)
            result.unreadable.append(candidates[index].id);
    }
    return result;
}

} // namespace brivello
