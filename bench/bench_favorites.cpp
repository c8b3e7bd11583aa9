// The favourites table with 10,000 favourites: a burst of tempo updates (cells touched, resets),
// a genre filter switch, and painting one screen while the playing dot pulses.
#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesItemDelegate.h"
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableView.h"
#include "library/LibraryStore.h"
#include "platform/Defaults.h"
#include "playback/AudioPlaybackEngine.h"
#include "playback/CaptureAudioSink.h"
#include "playback/EngineAudioPlayer.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace brivello;

namespace {

constexpr int kFavourites = 10000;

std::unique_ptr<LibraryStore> makeStore()
{
    Defaults::standard().resetForTesting();
    auto store = std::make_unique<LibraryStore>(Defaults::standard());
    const QStringList genres = {"House", "Techno", "", "Afro House", "Disco"};
    QList<Track> tracks;
    tracks.reserve(kFavourites);
    for (int i = 0; i < kFavourites; ++i) {
        Track track = Track::make(QUrl::fromLocalFile(QStringLiteral("/music/%1.mp3").arg(i)));
        track.tags.title = QStringLiteral("Title %1").arg(i);
        track.tags.genre = genres.at(i % genres.size());
        track.isFavorite = true;
        tracks.append(track);
    }
    store->setTracks(tracks);
    store->setActiveTab(LibraryTab::favorites);
    return store;
}

// One screen of the table, laid out and painted once.
void showScreen(FavoritesSection &section)
{
    section.resize(1400, 900);
    section.show();
    QCoreApplication::processEvents();
}

void BM_BPMBurst(benchmark::State &state)
{
    auto store = makeStore();
    FavoritesTableModel model(*store, nullptr);
    for (auto _ : state) {
        QHash<QUuid, QString> estimates;
        const int before = model.touchedCellCount();
        const int resets = model.resetCount();
        for (int i = 0; i < 1000; ++i) {
            estimates.insert(model.idAt(i * 7), QString::number(100 + i % 40));
            store->analysis().setEstimatedBPMByTrackID(estimates);
        }
        QCoreApplication::processEvents();
        state.counters["rows_touched"] = model.touchedCellCount() - before;
        state.counters["resets"] = model.resetCount() - resets;
        state.PauseTiming();
        store->analysis().setEstimatedBPMByTrackID({});
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BPMBurst)->Unit(benchmark::kMillisecond);

void BM_GenreFilterSwitch(benchmark::State &state)
{
    auto store = makeStore();
    FavoritesTableModel model(*store, nullptr);
    bool house = false;
    for (auto _ : state) {
        house = !house;
        model.selectGenreFilter(house ? QStringLiteral("House") : QString());
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_GenreFilterSwitch)->Unit(benchmark::kMillisecond);

void BM_PaintScreenWhilePulsing(benchmark::State &state)
{
    auto store = makeStore();
    EngineAudioPlayer player{
        std::make_unique<AudioPlaybackEngine>([] { return std::make_unique<CaptureAudioSink>(); }),
        Defaults::standard()};
    FavoritesSection section(*store, &player, nullptr);
    showScreen(section);
    QPixmap target(section.size());
    qreal opacity = 1.0;
    for (auto _ : state) {
        opacity = opacity < 0.3 ? 1.0 : opacity - 0.05;
        section.table()->favoritesDelegate()->setPulseOpacity(opacity);
        // The section draws no background of its own: the shell's glass panel lies under it.
        section.render(&target, {}, {}, QWidget::DrawChildren);
    }
}
BENCHMARK(BM_PaintScreenWhilePulsing)->Unit(benchmark::kMillisecond);

// One tick of the pulse: only the playing cell is repainted.
void BM_PulseTick(benchmark::State &state)
{
    auto store = makeStore();
    EngineAudioPlayer player{
        std::make_unique<AudioPlaybackEngine>([] { return std::make_unique<CaptureAudioSink>(); }),
        Defaults::standard()};
    FavoritesSection section(*store, &player, nullptr);
    showScreen(section);
    FavoritesTableView *table = section.table();
    const QRect cell = table->visualRect(table->favoritesModel().index(3, 1));
    QPixmap target(table->viewport()->size());
    qreal opacity = 1.0;
    for (auto _ : state) {
        opacity = opacity < 0.3 ? 1.0 : opacity - 0.05;
        table->favoritesDelegate()->setPulseOpacity(opacity);
        table->viewport()->render(&target, cell.topLeft(), QRegion(cell), QWidget::DrawChildren);
    }
}
BENCHMARK(BM_PulseTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
