// The playlist list over 20,000 tracks: painting one screen of rows, and repainting after
// one store change (one track's tags), which should touch that row alone.
#include "library/LibraryStore.h"
#include "library/PlaylistModel.h"
#include "platform/Defaults.h"
#include "playback/AudioPlaybackEngine.h"
#include "playback/CaptureAudioSink.h"
#include "playback/EngineAudioPlayer.h"
#include "shell/PlaylistView.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace brivello;

namespace {

constexpr int kTrackCount = 20000;

struct Fixture
{
    Fixture()
    {
        Defaults::standard().resetForTesting();
        QList<Track> tracks;
        tracks.reserve(kTrackCount);
        for (int i = 0; i < kTrackCount; ++i) {
            Track track = Track::make(QUrl::fromLocalFile(
                QStringLiteral("/music/Folder %1/%2 - Artist %2 - Title.mp3").arg(i % 211).arg(i)));
            track.isInPlaylist = true;
            track.duration = 200 + i % 100;
            track.tags.bpm = i % 3 ? QString::number(118 + i % 12) : QString();
            if (i % 5 == 0) {
                track.artwork = QImage(300, 300, QImage::Format_RGB32);
                track.artwork.fill(QColor::fromHsv(i % 360, 160, 200));
            }
            tracks.append(track);
        }
        store.setTracks(tracks);
        view = std::make_unique<PlaylistView>(store, player);
        view->resize(1100, 700);
        view->show();
        QCoreApplication::processEvents();
        view->layOutRows();
    }
    LibraryStore store{Defaults::standard()};
    // Nothing is played; a capture sink keeps the sound card out of the measurement.
    EngineAudioPlayer player{
        std::make_unique<AudioPlaybackEngine>([] { return std::make_unique<CaptureAudioSink>(); }),
        Defaults::standard()};
    std::unique_ptr<PlaylistView> view;
};

Fixture &fixture()
{
    static Fixture *instance = new Fixture;
    return *instance;
}

void BM_PaintOneScreen(benchmark::State &state)
{
    PlaylistView &view = *fixture().view;
    QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int rowsOnScreen = 0;
    for (int row = 0; row < view.playlistModel()->rowCount(); ++row) {
        if (!view.viewport()->rect().intersects(view.elementRect(row)))
            break;
        ++rowsOnScreen;
    }
    for (auto _ : state) {
        target.fill(Qt::transparent);
        view.viewport()->render(&target);
    }
    state.counters["rows_on_screen"] = rowsOnScreen;
}
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMillisecond);

// What the view repaints after one track's title changes: the area it invalidates.
void BM_OneStoreChangeRepaint(benchmark::State &state)
{
    Fixture &f = fixture();
    PlaylistView &view = *f.view;
    qint64 updates = 0;
    const QMetaObject::Connection counting = QObject::connect(
        view.playlistModel(),
        &QAbstractItemModel::dataChanged,
        [&](const QModelIndex &a, const QModelIndex &b) { updates += b.row() - a.row() + 1; });
    static int step = 0;
    const int first = step;
    for (auto _ : state) {
        QList<Track> tracks = f.store.tracks();
        tracks[(step * 37) % 30].tags.title = QStringLiteral("Edit %1").arg(step);
        ++step;
        f.store.setTracks(std::move(tracks));
        QCoreApplication::processEvents(); // the repaint of the invalidated row
    }
    QObject::disconnect(counting);
    state.counters["rows_repainted_per_change"] =
        double(updates) / double(std::max(1, step - first));
}
BENCHMARK(BM_OneStoreChangeRepaint)->Unit(benchmark::kMillisecond);

// Entering the playlist section: the view, its model and the layout of every row.
void BM_BuildAndLayOut(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        PlaylistView view(f.store, f.player);
        view.resize(1100, 700);
        view.layOutRows();
        benchmark::DoNotOptimize(view.elementRect(kTrackCount - 1));
    }
}
BENCHMARK(BM_BuildAndLayOut)->Unit(benchmark::kMillisecond);

void BM_ScrollOneScreen(benchmark::State &state)
{
    PlaylistView &view = *fixture().view;
    QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int position = 0;
    for (auto _ : state) {
        position = (position + view.viewport()->height()) % 400000;
        view.verticalScrollBar()->setValue(position);
        view.viewport()->render(&target);
    }
}
BENCHMARK(BM_ScrollOneScreen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
