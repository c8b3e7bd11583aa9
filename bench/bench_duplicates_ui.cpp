// The duplicate search as a user waits for it in the window: 20,000 small tagged MP3 files (every
// tenth with a copy) in the duplicates section of a 20,000-track library, the real main window
// on screen (offscreen platform). Prints the whole search, each phase, and the longest and the
// 99th-percentile delay before the main thread answers a call posted from another thread.
//   bench_duplicates_ui [--files=N]      files generated under /tmp and removed afterwards
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "library/LibraryStore.h"
#include "playback/CaptureAudioSink.h"
#include "shell/BrivelloApp.h"
#include "shell/MainWindow.h"
#include "workspaces/DuplicateSearch.h"
#include "workspaces/DuplicateSearchFields.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace brivello;

namespace {

int g_files = 20000;
QString g_folder;

QList<QUrl> generateFiles(const QString &root)
{
    const QByteArray frames = bench::mp3Frames(root, 1);
    QList<QUrl> urls;
    for (int i = 0; urls.size() < g_files; ++i) {
        const QString folder = root + QStringLiteral("/%1").arg(i / 500);
        QDir().mkpath(folder);
        const QByteArray bytes =
            bench::id3TitleTag(QStringLiteral("Artist %1 - Title %1").arg(i)) + frames;
        for (int copy = 0; copy < (i % 10 == 0 ? 2 : 1) && urls.size() < g_files; ++copy) {
            const QString path =
                folder + QStringLiteral("/%1%2.mp3").arg(i).arg(copy ? " copy" : "");
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
            urls.append(QUrl::fromLocalFile(path));
        }
    }
    return urls;
}

void BM_WindowDuplicateSearch(benchmark::State &state)
{
    BrivelloApp app(BrivelloApp::Services{[] { return std::make_unique<CaptureAudioSink>(); }});
    app.window().resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    app.show();
    LibraryStore &store = app.store();
    const QList<QUrl> urls = generateFiles(g_folder);
    QList<Track> library;
    QList<Track> workspace;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        Track track = Track::make(urls[i]);
        track.isInPlaylist = true;
        track.isFavorite = i % 3 == 0;
        library.append(track);
        Track duplicate = Track::make(urls[i]);
        duplicate.isInPlaylist = true;
        workspace.append(duplicate);
    }
    store.setTracks(library);
    store.setDuplicateTracks(workspace);
    store.setActiveTab(LibraryStore::LibraryTab::duplicates);
    auto *search = store.findChild<DuplicateSearch *>();
    if (!search) {
        state.SkipWithError("the window made no duplicate search");
        return;
    }
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(search, &DuplicateSearch::searchFinished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        // Another thread asks every 5 ms, as input would; the answer's delay is the wait.
        QList<double> waits;
        std::atomic<bool> asking = true;
        std::atomic<int> unanswered = 0;
        QElapsedTimer since;
        since.start();
        std::jthread asker([&] {
            while (asking) {
                if (unanswered == 0) {
                    ++unanswered;
                    const qint64 asked = since.nsecsElapsed();
                    QMetaObject::invokeMethod(
                        &loop,
                        [&, asked] {
                            waits.append((since.nsecsElapsed() - asked) / 1e6);
                            --unanswered;
                        },
                        Qt::QueuedConnection);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        QList<std::pair<DuplicateSearchState::Phase, double>> phases;
        QObject::connect(&store, &LibraryStore::duplicateSearchChanged, &loop, [&] {
            const DuplicateSearchState::Phase phase = duplicateScanPhase(store);
            if (phases.isEmpty() || phases.last().first != phase)
                phases.append({phase, clock.nsecsElapsed() / 1e9});
        });
        clock.start();
        search->findDuplicates();
        loop.exec();
        asking = false;
        asker.join();
        QCoreApplication::processEvents();
        const double whole = clock.nsecsElapsed() / 1e9;
        std::sort(waits.begin(), waits.end());
        const double longest = waits.isEmpty() ? 0 : waits.last();
        const double p99 = waits.isEmpty() ? 0 : waits[qsizetype(waits.size() * 0.99)];
        std::printf("%d files\twhole %.2f s\tmain thread: longest wait %.0f ms, 99%% under "
                    "%.0f ms\tgroups %lld\tphases",
                    int(urls.size()),
                    whole,
                    longest,
                    p99,
                    static_cast<long long>(duplicateGroups(store).size()));
        static const char *names[] = {"idle", "metadata", "preparing", "hashing", "matching"};
        for (const auto &[phase, at] : std::as_const(phases))
            std::printf(" %s@%.2f", names[int(phase)], at);
        std::printf("\n");
        state.SetIterationTime(whole);
    }
}
BENCHMARK(BM_WindowDuplicateSearch)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    bench::useTemporaryHome(home);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BrivelloApp::configureApplication();
    g_files = bench::countOption(argc, argv, "--files", g_files, 2);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir files(QDir::tempPath() + QStringLiteral("/bench_duplicates_ui-XXXXXX"));
    g_folder = files.path();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
