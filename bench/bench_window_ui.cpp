// The window of a 20,000-track library as a DJ uses it, on the offscreen platform: an import of
// 20,000 small tagged MP3 files in 200 folders (with wheel steps and Down presses while it
// runs), then a restart over the saved workspace (switching to the playlist, the favourite key
// on about 2,000 selected tracks, switching into the duplicates with their cards). Input is
// posted from another thread, as the window system delivers it, so a busy main thread delays
// it. Prints one line per figure: the import's rows and tags, the restart's window and idle,
// and per action the input's answer (its first painted frame), its settling (the end of the
// main thread's busy run it started) and the longest main-thread stall meanwhile. --trace adds
// per action the main thread's steps of a millisecond or more: what each handled, how long it
// took and when, in seconds of the monotonic clock (for `perf record -k CLOCK_MONOTONIC`).
//   bench_window_ui [--files=N] [--tree=DIR] [--trace] [--bad-input [--unreadable=N]
//                   [--deleted=N] [--dropped=N]]   DIR keeps the generated files between runs
#include "BenchArguments.h"
#include "BenchFiles.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"
#include "library/TrackImporter.h"
#include "platform/LocalFile.h"
#include "playback/CaptureAudioSink.h"
#include "shell/BrivelloApp.h"
#include "shell/ContentArea.h"
#include "shell/DashboardSidebar.h"
#include "shell/MainWindow.h"
#include "shell/PlaylistView.h"
#include "shell/SidebarSectionButton.h"
#include "workspaces/DuplicateSearch.h"
#include "workspaces/DuplicateSearchFields.h"
#include "workspaces/DuplicateWorkspace.h"
#include "workspaces/MainWindowController.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace brivello;

namespace {

QElapsedTimer g_clock;

double now()
{
    return g_clock.nsecsElapsed() / 1e6;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One posted input and what the main thread made of it (milliseconds on g_clock).
struct Action
{
    QEvent::Type input = QEvent::None;
    double posted = 0;
    double delivered = -1;
    double answered = -1; // the end of the first frame painted after the delivery
    // What the input changes (scroll position, selection, section shown), read at each frame;
    // `changed` is the end of the last frame that showed it changed.
    std::function<QByteArray()> state;
    QByteArray lastState;
    double changed = -1;
};

// Times every event the main thread handles at the top of its stack: the busy intervals, an
// input's delivery and the frames (update requests of the window) that follow it.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0 || QThread::currentThread() != thread()) {
            if (event->type() == QEvent::Paint)
                m_painted = true;
            return QApplication::notify(receiver, event);
        }
        ++m_depth;
        const double start = now();
        const QEvent::Type type = event->type();
        if (m_action && m_action->delivered < 0 && type == m_action->input)
            m_action->delivered = start;
        m_painted = false;
        // Described before the event: it may delete its receiver.
        QByteArray what = m_trace ? describe(receiver, event) : QByteArray();
        const bool result = QApplication::notify(receiver, event);
        const double end = now();
        --m_depth;
        m_busy.push_back({start, end});
        if (m_trace)
            m_steps.push_back({start, end, type, std::move(what)});
        // A frame is an update request that painted: a deferred one paints nothing.
        if (m_action && m_action->delivered >= 0 && type == QEvent::UpdateRequest &&
            receiver->isWidgetType() && m_painted) {
            if (m_action->answered < 0)
                m_action->answered = end;
            if (m_action->state) {
                QByteArray state = m_action->state();
                if (state != m_action->lastState) {
                    m_action->changed = end;
                    m_action->lastState = std::move(state);
                }
            }
        }
        return result;
    }

    void watch(Action *action) { m_action = action; }
    const std::vector<std::pair<double, double>> &busy() const { return m_busy; }
    void forget()
    {
        m_busy.clear();
        m_steps.clear();
    }
    // With --trace: every step of the main thread, what it handled and for how long.
    struct Step
    {
        double start, end;
        QEvent::Type type;
        QByteArray what;
    };
    void setTrace(bool trace) { m_trace = trace; }
    const std::vector<Step> &steps() const { return m_steps; }

private:
    static QByteArray describe(QObject *receiver, QEvent *event)
    {
        QByteArray what = receiver->metaObject()->className();
        if (!receiver->objectName().isEmpty())
            what += '(' + receiver->objectName().toUtf8() + ')';
        if (event->type() == QEvent::Timer)
            what += " timer " + QByteArray::number(static_cast<QTimerEvent *>(event)->timerId());
        if (event->type() == QEvent::MetaCall)
            what += " metacall";
        return what;
    }
    bool m_trace = false;
    std::vector<Step> m_steps;
    int m_depth = 0;
    bool m_painted = false;
    Action *m_action = nullptr;
    std::vector<std::pair<double, double>> m_busy;
};

TimedApplication *timedApp()
{
    return static_cast<TimedApplication *>(QCoreApplication::instance());
}

int g_files = 20000;
QString g_tree;
bool g_badInput = false;
int g_unreadable = 500;
int g_deleted = 200;
int g_dropped = 5000;
bool g_trace = false;

// Runs the event loop until `done` holds or `timeoutMs` passes; whether it holds.
bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void spinFor(int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

struct Figures
{
    double answer = 0;
    double settle = 0;
    double stall = 0;
};

// What an input may change on screen: the section shown, its scroll position, the selection.
QByteArray shownState(MainWindow &window)
{
    QWidget *view = window.contentArea()->currentView();
    auto *list = qobject_cast<QAbstractScrollArea *>(view);
    if (!list && view)
        list = view->findChild<QAbstractScrollArea *>();
    const LibraryStore &store = window.controller().store();
    QByteArray state = QByteArray::number(quintptr(view)) + ' ' +
                       QByteArray::number(list ? list->verticalScrollBar()->value() : -1) + ' ' +
                       QByteArray::number(store.selectedIDs().size());
    if (store.selectedID())
        state += ' ' + store.selectedID()->toByteArray();
    return state;
}

// Posts the events (made here: pointer events need the main thread) to the window from another
// thread and reads the figures off the frames and busy intervals: the answer is the first frame
// painted after the delivery; the action has settled at the end of the last frame that still
// showed what it changes change (or at its answer); the longest stall is the longest step of
// the main thread's busy run from the posting on (it goes on while the main thread rests less
// than 10 ms at a time).
Figures act(MainWindow &window, QEvent::Type input, QList<QEvent *> events)
{
    QWindow *target = window.windowHandle();
    Action action;
    action.input = input;
    action.state = [&window] { return shownState(window); };
    action.lastState = shownState(window);
    timedApp()->forget();
    timedApp()->watch(&action);
    std::thread poster([&] {
        action.posted = now();
        for (QEvent *event : events)
            QCoreApplication::postEvent(target, event);
    });
    spinUntil([&] { return action.answered >= 0; }, 3000);
    spinFor(400);
    poster.join();
    timedApp()->watch(nullptr);
    Figures figures;
    if (action.answered < 0) {
        figures.answer = figures.settle = -1;
        return figures;
    }
    figures.answer = action.answered - action.posted;
    figures.settle = std::max(action.answered, action.changed) - action.posted;
    double runEnd = action.delivered;
    double stall = 0;
    for (const auto &[start, end] : timedApp()->busy()) {
        if (end < action.posted)
            continue;
        if (start > runEnd + 10 && start > action.answered)
            break;
        runEnd = std::max(runEnd, end);
        stall = std::max(stall, end - std::max(start, action.posted));
    }
    figures.stall = stall;
    if (g_trace) {
        std::printf("  -- posted at 0, delivered %.0f, answered %.0f, changed %.0f\n",
                    action.delivered - action.posted,
                    action.answered - action.posted,
                    action.changed - action.posted);
        for (const auto &step : timedApp()->steps()) {
            if (step.end < action.posted || step.end - step.start < 1.0)
                continue;
            if (step.start > action.posted + figures.settle + 50)
                break;
            // With the monotonic clock's seconds, to find the step in a profile (perf -k 1).
            std::printf("  %6.0f %5.1f ms  type %3d  %s  @%.4f\n",
                        step.start - action.posted,
                        step.end - step.start,
                        int(step.type),
                        step.what.constData(),
                        (g_clock.msecsSinceReference() + step.start) / 1000);
        }
    }
    return figures;
}

QPoint centreIn(QWidget *widget, QWidget *window)
{
    return widget->mapTo(window, widget->rect().center());
}

Figures wheel(MainWindow &window)
{
    auto *view = qobject_cast<PlaylistView *>(window.contentArea()->currentView());
    QWidget *at = view ? static_cast<QWidget *>(view->viewport()) : &window;
    const QPointF local = centreIn(at, &window);
    const QPointF global = window.mapToGlobal(local.toPoint());
    return act(window,
               QEvent::Wheel,
               {new QWheelEvent(local,
                                global,
                                QPoint(),
                                QPoint(0, -120),
                                Qt::NoButton,
                                Qt::NoModifier,
                                Qt::NoScrollPhase,
                                false)});
}

Figures key(MainWindow &window, int key, const QString &text = {})
{
    return act(window,
               QEvent::KeyPress,
               {new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text),
                new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text)});
}

// A press and a release on the section's sidebar button.
Figures click(MainWindow &window, LibraryTab tab)
{
    QWidget *button = window.sidebar()->sectionButton(tab);
    const QPointF local = centreIn(button, &window);
    const QPointF global = window.mapToGlobal(local.toPoint());
    return act(
        window,
        QEvent::MouseButtonPress,
        {new QMouseEvent(
             QEvent::MouseButtonPress, local, local, global, Qt::LeftButton, Qt::LeftButton, {}),
         new QMouseEvent(
             QEvent::MouseButtonRelease, local, local, global, Qt::LeftButton, Qt::NoButton, {})});
}

void print(const char *name, const std::vector<Figures> &all)
{
    double answer = 0, settle = 0, stall = 0;
    for (const Figures &one : all) {
        answer = std::max(answer, one.answer);
        settle = std::max(settle, one.settle);
        stall = std::max(stall, one.stall);
    }
    std::printf("%-34s answer %4.0f ms  settled %4.0f ms  longest stall %4.0f ms  (%d probes)\n",
                name,
                answer,
                settle,
                stall,
                int(all.size()));
    std::fflush(stdout);
}

std::unique_ptr<BrivelloApp> launch()
{
    auto app = std::make_unique<BrivelloApp>(
        BrivelloApp::Services{[] { return std::make_unique<CaptureAudioSink>(); }});
    app->window().resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    app->show();
    return app;
}

bool tagsShown(const LibraryStore &store, int count)
{
    if (store.tracks().size() < count || store.metadataLoading().isLoading())
        return false;
    return std::all_of(store.tracks().cbegin(), store.tracks().cend(), [](const Track &track) {
        return track.duration > 0;
    });
}

// The import with input while it runs: every 150 ms a wheel step or a Down press.
void importPhase(const QStringList &files)
{
    std::unique_ptr<BrivelloApp> app = launch();
    LibraryStore &store = app->store();
    spinFor(200);
    const double cpuBefore = cpuSeconds();
    const double start = now();
    double rowsAt = -1;
    QList<QUrl> roots;
    for (const QString &entry : QDir(g_tree).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        roots << bench::fileURL(g_tree + QLatin1Char('/') + entry);
    store.importer().importURLs(roots, {});
    std::vector<Figures> wheels, downs;
    bool wheelNext = true;
    QElapsedTimer limit;
    limit.start();
    while (!tagsShown(store, int(files.size())) && limit.elapsed() < 120000) {
        if (rowsAt < 0 && store.tracks().size() >= files.size())
            rowsAt = now();
        if (store.tracks().size() < 200) {
            spinFor(20);
            continue;
        }
        if (wheelNext)
            wheels.push_back(wheel(app->window()));
        else
            downs.push_back(key(app->window(), Qt::Key_Down));
        wheelNext = !wheelNext;
    }
    if (rowsAt < 0)
        rowsAt = now();
    const double tagsAt = now();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("import %lld files: all rows %.1f s, all tags %.1f s, %.2f cores\n",
                static_cast<long long>(store.tracks().size()),
                (rowsAt - start) / 1000,
                (tagsAt - start) / 1000,
                cpu / ((tagsAt - start) / 1000));
    print("wheel step during the import", wheels);
    print("Down during the import", downs);

    // The duplicates section gets the library and its search, for the cards after the restart.
    QList<Track> duplicates;
    for (const Track &track : store.tracks())
        duplicates.append(Track::make(track.url));
    store.setDuplicateTracks(duplicates);
    setDuplicateSearchRoots(store, {bench::fileURL(g_tree)});
    // The search the window's duplicates section runs: made with the section's workspace,
    // which the window builds only when the section is first shown.
    DuplicateWorkspace::of(store);
    auto *search = store.findChild<DuplicateSearch *>();
    if (search) {
        QEventLoop loop;
        QObject::connect(search, &DuplicateSearch::searchFinished, &loop, &QEventLoop::quit);
        search->findDuplicates();
        loop.exec();
    }
    std::printf("duplicate groups %lld\n", static_cast<long long>(duplicateGroups(store).size()));
    store.setActiveTab(LibraryTab::favorites);
    app->window().close();
    spinFor(100);
}

void restartPhase(const QStringList &files)
{
    const double start = now();
    const double cpuBefore = cpuSeconds();
    std::unique_ptr<BrivelloApp> app = launch();
    spinUntil([&] { return app->window().isVisible(); }, 10000);
    QCoreApplication::processEvents();
    const double windowAt = now();
    LibraryStore &store = app->store();
    print("switch to the playlist after restart", {click(app->window(), LibraryTab::playlist)});
    QList<Track> playlist = store.sections().playlistTracks();
    QSet<QUuid> selected;
    for (qsizetype i = 0; i < playlist.size() && selected.size() < 1982; ++i)
        selected.insert(playlist[i].id);
    store.setSelectedIDs(selected);
    spinFor(300);
    print("favourite key on 1,982 selected", {key(app->window(), Qt::Key_F, QStringLiteral("f"))});
    print("switch into the duplicates", {click(app->window(), LibraryTab::duplicates)});
    print("switch back to the playlist", {click(app->window(), LibraryTab::playlist)});
    spinUntil([&] { return tagsShown(store, int(files.size())); }, 120000);
    const double idleAt = now();
    std::printf("restart: window %.2f s, idle %.1f s, %.2f cores\n",
                (windowAt - start) / 1000,
                (idleAt - start) / 1000,
                (cpuSeconds() - cpuBefore) / ((idleAt - start) / 1000));
    app->window().close();
    spinFor(100);
}

// Files no reader makes sense of, all named "NNN - Bad N.mp3": random bytes, nothing at all,
// an ID3 header that promises more than the file holds, and a tag over bytes that are no audio.
QStringList unreadableFiles(const QString &root, int count)
{
    QStringList paths;
    std::mt19937 random(11);
    for (int i = 0; i < count; ++i) {
        const QString dir = root + QStringLiteral("/Unreadable %1").arg(i / 100);
        QDir().mkpath(dir);
        const QString path =
            dir + QStringLiteral("/%1 - Bad %2.mp3").arg(i % 100 + 1, 3, 10, QChar('0')).arg(i);
        paths << path;
        QByteArray bytes;
        switch (i % 4) {
        case 0:
            for (int k = 0; k < 4096; ++k)
                bytes.append(char(random() & 0xff));
            break;
        case 1:
            break;
        case 2:
            bytes = QByteArray("ID3\x03\0\0\x7f\x7f\x7f\x7f", 10) + QByteArray(64, 'x');
            break;
        default:
            bytes = QByteArray("ID3\x03\0\0\0\0\0\x10", 10) + QByteArray(16, '\0') +
                    QByteArray(8192, '\xff');
            break;
        }
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    return paths;
}

// The restored library, then, while its tags are read again: an import of unreadable files
// and of files deleted while their tags are read, and a folder of new files dropped while that
// import runs; wheel steps and Down presses throughout. Nothing may be lost, and every file
// that cannot be read keeps the tags its name gives.
void badInputPhase(const QStringList &files)
{
    const QString root = g_tree + QStringLiteral("/.bad-input");
    QDir(root).removeRecursively();
    const QStringList unreadable = unreadableFiles(root + QStringLiteral("/import"), g_unreadable);
    QStringList doomed;
    for (int i = 0; i < g_deleted && i < files.size(); ++i) {
        const QString path =
            root + QStringLiteral("/import/Deleted %1/%2 - Gone.mp3").arg(i / 100).arg(i);
        QDir().mkpath(QFileInfo(path).path());
        QFile::copy(files[i], path);
        doomed << path;
    }
    QDir().mkpath(root + QStringLiteral("/drop"));
    const QStringList dropped =
        g_dropped > 0 ? bench::taggedMp3Tree(root + QStringLiteral("/drop"), g_dropped, 50)
                      : QStringList();

    std::unique_ptr<BrivelloApp> app = launch();
    LibraryStore &store = app->store();
    spinUntil([&] { return store.tracks().size() >= files.size(); }, 10000);
    const qsizetype before = store.tracks().size();
    const qsizetype expected = before + unreadable.size() + doomed.size() + dropped.size();
    const double start = now();
    store.importer().importURLs({bench::fileURL(root + QStringLiteral("/import"))}, {});
    bool droppedYet = false;
    bool deletedYet = false;
    std::vector<Figures> wheels, downs;
    bool wheelNext = true;
    QElapsedTimer limit;
    limit.start();
    while (
        (store.tracks().size() < expected || store.metadataLoading().isLoading() || !droppedYet) &&
        limit.elapsed() < 180000) {
        // The files are deleted once their rows are in, while their tags are being read.
        if (!deletedYet && store.tracks().size() >= before + unreadable.size() + doomed.size()) {
            for (const QString &path : std::as_const(doomed))
                QFile::remove(path);
            deletedYet = true;
        }
        // The drop comes while the first import still runs.
        if (!droppedYet && store.tracks().size() > before) {
            QList<QUrl> folders;
            for (const QString &entry :
                 QDir(root + QStringLiteral("/drop")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                folders << bench::fileURL(root + QStringLiteral("/drop/") + entry);
            store.importer().importURLs(folders, {});
            droppedYet = true;
        }
        if (wheelNext)
            wheels.push_back(wheel(app->window()));
        else
            downs.push_back(key(app->window(), Qt::Key_Down));
        wheelNext = !wheelNext;
    }
    const double doneAt = now();
    QHash<QString, const Track *> byPath;
    for (const Track &track : store.tracks())
        byPath.insert(LocalFile::path(track.url), &track);
    int keptNames = 0, keptDeleted = 0, droppedTagged = 0;
    for (const QString &path : unreadable) {
        const Track *track = byPath.value(path);
        keptNames += track && track->tags == Track::fallbackTags(track->url);
    }
    for (const QString &path : doomed)
        keptDeleted += byPath.contains(path);
    for (const QString &path : dropped) {
        const Track *track = byPath.value(path);
        droppedTagged += track && track->duration > 0;
    }
    std::printf("bad input: %lld of %lld tracks in %.1f s; unreadable with their file-name tags "
                "%d/%lld; deleted while read, rows kept %d/%lld; dropped meanwhile, tags shown "
                "%d/%lld\n",
                static_cast<long long>(store.tracks().size()),
                static_cast<long long>(expected),
                (doneAt - start) / 1000,
                keptNames,
                static_cast<long long>(unreadable.size()),
                keptDeleted,
                static_cast<long long>(doomed.size()),
                droppedTagged,
                static_cast<long long>(dropped.size()));
    print("wheel step during the bad input", wheels);
    print("Down during the bad input", downs);
    app->window().close();
    spinFor(100);
    QDir(root).removeRecursively();
}

} // namespace

int main(int argc, char **argv)
{
    g_clock.start();
    QTemporaryDir home;
    bench::useTemporaryHome(home);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication application(argc, argv);
    BrivelloApp::configureApplication();
    std::optional<QTemporaryDir> made;
    g_files = bench::countOption(argc, argv, "--files", g_files, 100);
    if (const std::optional<QByteArray> tree = bench::optionText(argc, argv, "--tree"))
        g_tree = bench::pathArgument(*tree);
    g_trace = bench::hasOption(argc, argv, "--trace");
    g_badInput = bench::hasOption(argc, argv, "--bad-input");
    g_unreadable = bench::countOption(argc, argv, "--unreadable", g_unreadable, 0);
    g_deleted = bench::countOption(argc, argv, "--deleted", g_deleted, 0);
    g_dropped = bench::countOption(argc, argv, "--dropped", g_dropped, 0);
    application.setTrace(g_trace);
    if (g_tree.isEmpty()) {
        made.emplace(QDir::tempPath() + QStringLiteral("/bench_window_ui-XXXXXX"));
        g_tree = made->path();
    }
    QDir().mkpath(g_tree);
    const QStringList files = bench::taggedMp3Tree(g_tree, g_files, 200);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no files: is ffmpeg installed?\n");
        return 1;
    }
    importPhase(files);
    restartPhase(files);
    if (g_badInput)
        badInputPhase(files);
    return 0;
}
