// The playlist model over 20,000 tracks: building it from the store, and what one store
// change (one track's tags) costs and touches.
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/PlaylistModel.h"
#include "platform/Defaults.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace brivello;

namespace {

constexpr int kTrackCount = 20000;

QList<Track> makeTracks()
{
    QList<Track> tracks;
    tracks.reserve(kTrackCount);
    for (int i = 0; i < kTrackCount; ++i) {
        Track track = Track::make(
            QUrl::fromLocalFile(QStringLiteral("/music/Folder %1/Sub %2/%3 - Artist - Title %3.mp3")
                                    .arg(i % 97)
                                    .arg(i % 7)
                                    .arg(i)));
        track.isInPlaylist = true;
        track.duration = 180 + i % 120;
        tracks.append(track);
    }
    return tracks;
}

LibraryStore &store()
{
    static LibraryStore *instance = [] {
        Defaults::standard().resetForTesting();
        auto *s = new LibraryStore(Defaults::standard());
        s->setTracks(makeTracks());
        s->sections().playlistTracks(); // warm the order cache
        return s;
    }();
    return *instance;
}

void BM_ModelBuild(benchmark::State &state)
{
    for (auto _ : state) {
        PlaylistModel model(&store());
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = kTrackCount;
}
BENCHMARK(BM_ModelBuild)->Unit(benchmark::kMillisecond);

void BM_OneTagChange(benchmark::State &state)
{
    PlaylistModel model(&store());
    qint64 rowsTouched = 0;
    qint64 structural = 0;
    QObject::connect(
        &model, &QAbstractItemModel::dataChanged, [&](const QModelIndex &a, const QModelIndex &b) {
            rowsTouched += b.row() - a.row() + 1;
        });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++structural; });
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, [&] { ++structural; });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++structural; });
    static int step = 0;
    const int first = step;
    for (auto _ : state) {
        QList<Track> tracks = store().tracks();
        tracks[(step * 7919) % kTrackCount].tags.title = QStringLiteral("Edit %1").arg(step);
        ++step;
        store().setTracks(std::move(tracks));
    }
    const int changes = step - first;
    state.counters["rows_touched_per_change"] =
        benchmark::Counter(double(rowsTouched) / double(std::max(changes, 1)));
    state.counters["resets_or_layouts"] = double(structural);
}
BENCHMARK(BM_OneTagChange)->Unit(benchmark::kMillisecond);

// The same change with no model attached: what the store itself costs.
void BM_OneTagChangeStoreOnly(benchmark::State &state)
{
    static int step = 0;
    for (auto _ : state) {
        QList<Track> tracks = store().tracks();
        tracks[(step * 7919) % kTrackCount].tags.title = QStringLiteral("Store %1").arg(step);
        ++step;
        store().setTracks(std::move(tracks));
    }
}
BENCHMARK(BM_OneTagChangeStoreOnly)->Unit(benchmark::kMillisecond);

void BM_SelectionChange(benchmark::State &state)
{
    PlaylistModel model(&store());
    const QList<QUuid> ids = model.ids();
    int step = 0;
    for (auto _ : state) {
        store().setSelectedIDs({ids.at((step * 104729) % kTrackCount)});
        ++step;
    }
}
BENCHMARK(BM_SelectionChange)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
