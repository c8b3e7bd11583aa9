#include "library/LibrarySections.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"
#include "platform/Trash.h"
#include "shell/ActionButton.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/DuplicateFinderView.h"
#include "workspaces/ui/DuplicateGroupCard.h"
#include "workspaces/ui/FileRowList.h"
#include "workspaces/ui/WorkspaceEmptyState.h"
#include "workspaces/ui/WorkspaceStatusBar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <cstdio>
#include <dirent.h>

namespace brivello {
namespace {

using test::TestAudioFiles;
using PathSet = QSet<QString>;

// "Песня" in CP1251, as names copied from old Windows drives hold it: not valid UTF-8.
const QByteArray kSong = "\xcf\xe5\xf1\xed\xff";

bool present(const QUrl &url)
{
    return LocalFile::isTaken(LocalFile::path(url));
}

// The duplicates section found through its own buttons over a tree with a copy, a hard link
// and a symbolic link, compared with fdupes; files go to the Trash only when marked.
class DuplicatesEndToEndTest : public testing::EndToEndFixture
{
protected:
    void SetUp() override
    {
        EndToEndFixture::SetUp();
        m_original = makeAudio(QStringLiteral("dup/a.mp3"));
        makeAudio(QStringLiteral("dup/other.mp3"), 2.0);
        QDir().mkpath(path(QStringLiteral("dup/sub")));
        ASSERT_TRUE(QFile::copy(m_original, path(QStringLiteral("dup/sub/a copy.mp3"))));
        ASSERT_TRUE(TestAudioFiles::run(QStringLiteral("ln"),
                                        {m_original, path(QStringLiteral("dup/hard.mp3"))})
                        .ok());
        ASSERT_TRUE(QFile::link(m_original, path(QStringLiteral("dup/link.mp3"))));
    }
    void TearDown() override
    {
        EndToEndFixture::TearDown();
        // QTemporaryDir cannot remove names that are not UTF-8, here or in the Trash.
        TestAudioFiles::run(QStringLiteral("rm"), {QStringLiteral("-rf"), path(QString())});
        const QByteArray files = QFile::encodeName(Trash::homeTrashPath()) + "/files/";
        if (DIR *folder = ::opendir(files.constData())) {
            while (const dirent *entry = ::readdir(folder)) {
                if (!QByteArrayView(entry->d_name).isValidUtf8())
                    ::unlink((files + entry->d_name).constData());
            }
            ::closedir(folder);
        }
    }
    DuplicateFinderView *showDuplicates()
    {
        return showSection<DuplicateFinderView>(Tab::duplicates);
    }
    // Presses "Найти дубликаты" and waits for the search's end.
    bool pressFind(DuplicateFinderView &view)
    {
        QTest::mouseClick(view.findButton(), Qt::LeftButton);
        const bool ended = spinUntil([this] { return !store().duplicateSearch().isSearching; });
        settle();
        return ended;
    }
    // Adds the folder (written with a trailing slash) and presses "Найти дубликаты".
    DuplicateFinderView *search()
    {
        DuplicateFinderView *view = showDuplicates();
        EXPECT_TRUE(view);
        if (!view)
            return nullptr;
        view->importDroppedURLs({QUrl::fromLocalFile(path(QStringLiteral("dup/")))});
        EXPECT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 5; }));
        EXPECT_TRUE(view->findButton()->isEnabled());
        EXPECT_TRUE(pressFind(*view));
        return view;
    }
    // Each group as the set of its paths.
    QList<PathSet> cards()
    {
        QList<PathSet> groups;
        for (const AudioDuplicateGroup &group : store().duplicateSearch().groups) {
            PathSet paths;
            for (const Track &track :
                 DuplicateGroupRows::tracksIn(group, store().duplicateTracks()))
                paths.insert(LocalFile::path(track.url));
            groups.append(paths);
        }
        return groups;
    }
    QList<PathSet> fdupes()
    {
        const TestAudioFiles::Result found = TestAudioFiles::run(
            QStringLiteral("fdupes"), {QStringLiteral("-r"), path(QStringLiteral("dup"))});
        EXPECT_TRUE(found.ok());
        QList<PathSet> groups;
        for (const QString &block :
             QString::fromUtf8(found.out).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
            const QStringList lines = block.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            groups.append(PathSet(lines.cbegin(), lines.cend()));
        }
        return groups;
    }
    int rowOf(DuplicateFinderView &view, const QString &file)
    {
        for (int row = 0; row < view.rows().size(); ++row) {
            const DuplicateGroupRows::Row &r = view.rows().at(row);
            if (!r.isHeading && LocalFile::path(r.track.url) == file)
                return row;
        }
        return -1;
    }
    void clickToggle(DuplicateFinderView &view, const QString &file, bool twice = false)
    {
        QWidget *viewport = view.list()->viewport();
        const QPoint at =
            DuplicateGroupCard::toggleRect(view.list()->rowRect(rowOf(view, file)), 1.0).center();
        if (twice) { // a double click reaches a widget as press, release, double click, release
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
            settle();
        } else {
            clickAt(viewport, at);
        }
    }
    void clickTrash(DuplicateFinderView &view)
    {
        clickAt(view.list()->viewport(),
                DuplicateGroupCard::trashButtonRect(view.list()->rowRect(0), 1.0).center());
    }
    // A .trashinfo in the Trash names the file's old place (earlier tests may have trashed a
    // file of the same name).
    // Read by bytes: QDir leaves out names that are not UTF-8.
    static bool inTrash(const QString &original)
    {
        const QByteArray info = QFile::encodeName(Trash::homeTrashPath()) + "/info/";
        const QByteArray line = "Path=" + Trash::encodedInfoPath(original) + '\n';
        bool found = false;
        DIR *folder = ::opendir(info.constData());
        while (const dirent *entry = folder && !found ? ::readdir(folder) : nullptr) {
            QFile file;
            found = QByteArrayView(entry->d_name).endsWith(".trashinfo") &&
                    LocalFile::open(
                        file, LocalFile::decodeName(info + entry->d_name), QIODevice::ReadOnly) &&
                    file.readAll().contains(line);
        }
        if (folder)
            ::closedir(folder);
        return found;
    }
    bool allFilesStay()
    {
        for (const char *name :
             {"dup/a.mp3", "dup/sub/a copy.mp3", "dup/hard.mp3", "dup/other.mp3"}) {
            if (!QFile::exists(path(QString::fromLatin1(name))))
                return false;
        }
        return QFileInfo(path(QStringLiteral("dup/link.mp3"))).isSymLink();
    }

    QString m_original;
};

TEST_F(DuplicatesEndToEndTest, CardsMatchFdupesAndOnlyTheMarkedCopyGoesToTheTrash)
{
    DuplicateFinderView *view = search();
    ASSERT_TRUE(view);
    EXPECT_EQ(store().duplicateSearch().roots, QList<QUrl>{url(QStringLiteral("dup"))});
    EXPECT_EQ(view->content(), DuplicateFinderView::Content::groups);
    EXPECT_EQ(cards(), fdupes());
    ASSERT_EQ(cards().size(), 1);

    const QString copy = path(QStringLiteral("dup/sub/a copy.mp3"));
    clickToggle(*view, copy);
    ASSERT_EQ(store().duplicateSearch().selectedTrackIDs.size(), 1);
    // A double click on a mark toggles it twice and neither selects nor plays the row.
    clickToggle(*view, m_original, true);
    EXPECT_EQ(store().duplicateSearch().selectedTrackIDs.size(), 1);
    EXPECT_FALSE(store().duplicateSearch().focusedTrackID.has_value());
    EXPECT_FALSE(player().currentID().has_value());
    clickTrash(*view);

    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(inTrash(copy));
    EXPECT_FALSE(inTrash(m_original));
    EXPECT_TRUE(QFile::exists(m_original));
    EXPECT_TRUE(store().duplicateSearch().groups.isEmpty());
    // The search ran over this folder and nothing is left to show: it says so.
    EXPECT_EQ(view->content(), DuplicateFinderView::Content::emptyResult);
    EXPECT_EQ(view->emptyResultState()->titleText(), QStringLiteral("Дубликаты не найдены"));
}

// Ctrl+A selects the section's list as everywhere, never the cards' marks: one press of a
// card's button must not take every copy of a track. The Trash hotkey acts on the marks alone:
// with none it does nothing, whatever the library's selection holds.
TEST_F(DuplicatesEndToEndTest, OnlyMarkedFilesGoToTheTrashWhateverTheSelectionHolds)
{
    const QString library = makeAudio(QStringLiteral("library/kept.mp3"));
    ASSERT_EQ(importAndWait(urls({library})).size(), 1);
    DuplicateFinderView *view = search();
    ASSERT_TRUE(view);
    ASSERT_EQ(cards().size(), 1);
    pressKey(Qt::Key_A, Qt::ControlModifier); // the store's selection: the library's files
    EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
    EXPECT_FALSE(store().sections().activeSelection().isEmpty());
    clickTrash(*view);
    EXPECT_TRUE(allFilesStay());
    EXPECT_EQ(cards().size(), 1);
    pressKey(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_TRUE(allFilesStay());
    EXPECT_TRUE(QFile::exists(library));

    const QString copy = path(QStringLiteral("dup/sub/a copy.mp3"));
    clickToggle(*view, copy);
    pressKey(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(inTrash(copy));
    EXPECT_TRUE(QFile::exists(m_original));
    EXPECT_TRUE(QFile::exists(library));
    EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
}

// Ctrl+A then "Очистить список": the emptied section counts no selection.
TEST_F(DuplicatesEndToEndTest, AClearedListShowsNoSelectionCount)
{
    DuplicateFinderView *view = search();
    ASSERT_TRUE(view);
    auto *block = window().findChild<WorkspaceStatusBar *>();
    ASSERT_TRUE(block);
    pressKey(Qt::Key_A, Qt::ControlModifier);
    ASSERT_FALSE(store().sections().activeSelection().isEmpty());

    QAbstractButton *clear = view->clearButton();
    clickAt(clear, clear->rect().center());
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().isEmpty(); }));
    store().setWorkspaceStatus(std::nullopt);
    settle();
    const WorkspaceStatusSummary::Lines lines = block->summary().sidebarText();
    EXPECT_EQ(lines.primary, QStringLiteral("Дубликаты: не найдены"));
    EXPECT_FALSE(lines.detail.has_value()) << lines.detail->toStdString();
}

// The cleaner's hotkey on marked copies cleans the library's track of a file and leaves the
// finder's own records, and the files only they stand for, as they were.
TEST_F(DuplicatesEndToEndTest, TheCleanerTouchesOnlyLibraryTracksOfTheMarkedCopies)
{
    const QString one = makeAudio(QStringLiteral("tagged/one.flac"),
                                  1.0,
                                  {QStringLiteral("-metadata"), QStringLiteral("album=Promo")});
    const QString two = path(QStringLiteral("tagged/two.flac"));
    ASSERT_TRUE(QFile::copy(one, two));
    ASSERT_EQ(importAndWait(urls({one})).size(), 1);
    DuplicateFinderView *view = showDuplicates();
    ASSERT_TRUE(view);
    view->importDroppedURLs({url(QStringLiteral("tagged"))});
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 2; }));
    ASSERT_TRUE(pressFind(*view));
    ASSERT_EQ(cards().size(), 1);
    clickToggle(*view, one);
    clickToggle(*view, two);
    ASSERT_EQ(store().duplicateSearch().selectedTrackIDs.size(), 2);
    ASSERT_EQ(tag(two, QStringLiteral("album")), QStringLiteral("Promo"));
    QList<AudioTags> records;
    for (const Track &track : store().duplicateTracks())
        records.append(track.tags);

    pressKey(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(statusMessage(), QStringLiteral("Очистка применена: 1"));
    EXPECT_TRUE(waitForTag(one, QStringLiteral("album"), QString()));
    settle(300);
    EXPECT_EQ(tag(two, QStringLiteral("album")), QStringLiteral("Promo"));
    ASSERT_EQ(store().duplicateTracks().size(), records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        EXPECT_EQ(store().duplicateTracks()[i].tags, records[i]) << i;
}

// A copy that goes away after its size was read is grouped with nothing, and the status line
// says a file was skipped.
TEST_F(DuplicatesEndToEndTest, ACopyGoneBeforeItsHashIsLeftOutAndReported)
{
    DuplicateFinderView *view = showDuplicates();
    ASSERT_TRUE(view);
    view->importDroppedURLs({url(QStringLiteral("dup"))});
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 5; }));
    const QString copy = path(QStringLiteral("dup/sub/a copy.mp3"));
    // The hashing phase shows once the sizes are read, before the first file is opened.
    const QMetaObject::Connection removing =
        QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
            if (store().duplicateSearch().phase == DuplicateSearchState::Phase::hashing)
                QFile::remove(copy);
        });
    const bool ended = pressFind(*view);
    QObject::disconnect(removing);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(cards().isEmpty());
    EXPECT_EQ(statusMessage(),
              QStringLiteral("Пропущено файлов: 1 · Пропали, изменились или не читаются"));
}

// Every file the search could not compare is counted in one status line: gone before the
// search, during its metadata phase or just before its hashing. In English too.
TEST_F(DuplicatesEndToEndTest, EveryFileTheSearchCouldNotCompareIsReportedInOneLine)
{
    QDir().mkpath(path(QStringLiteral("many")));
    QStringList files;
    for (int i = 0; i < 30; ++i) {
        files << path(QStringLiteral("many/%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::copy(m_original, files.last()));
    }
    DuplicateFinderView *view = showDuplicates();
    ASSERT_TRUE(view);
    view->importDroppedURLs({url(QStringLiteral("many"))});
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 30; }));
    ASSERT_TRUE(QFile::remove(files[0]) && QFile::remove(files[1]));
    bool inMetadata = false, inHashing = false;
    const QMetaObject::Connection removing =
        QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
            using Phase = DuplicateSearchState::Phase;
            const Phase phase = store().duplicateSearch().phase;
            if (phase == Phase::metadata && !std::exchange(inMetadata, true)) {
                QFile::remove(files[10]);
                QFile::remove(files[11]);
            }
            if (phase == Phase::hashing && !std::exchange(inHashing, true))
                QFile::remove(files[20]);
        });
    const bool ended = pressFind(*view);
    QObject::disconnect(removing);
    ASSERT_TRUE(ended);
    ASSERT_TRUE(inMetadata && inHashing);
    ASSERT_EQ(cards().size(), 1);
    EXPECT_EQ(cards().first().size(), 25);
    EXPECT_EQ(statusMessage(),
              QStringLiteral("Пропущено файлов: 5 · Пропали, изменились или не читаются"));

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    ASSERT_TRUE(pressFind(*view));
    EXPECT_EQ(cards().first().size(), 25);
    EXPECT_EQ(statusMessage(), QStringLiteral("Files skipped: 5 · Gone, changed or unreadable"));
}

// A copy named in CP1251 bytes goes to the Trash from its card like any other.
TEST_F(DuplicatesEndToEndTest, ACopyNamedInCp1251GoesToTheTrash)
{
    const QUrl copy =
        LocalFile::url(QFile::encodeName(path(QStringLiteral("dup/sub"))) + '/' + kSong + ".mp3");
    ASSERT_EQ(std::rename(QFile::encodeName(path(QStringLiteral("dup/sub/a copy.mp3"))).constData(),
                          LocalFile::nativePath(copy).constData()),
              0);
    DuplicateFinderView *view = search();
    ASSERT_TRUE(view);
    ASSERT_EQ(cards().size(), 1);
    ASSERT_TRUE(cards().first().contains(LocalFile::path(copy)));
    clickToggle(*view, LocalFile::path(copy));
    ASSERT_EQ(store().duplicateSearch().selectedTrackIDs.size(), 1);
    clickTrash(*view);
    EXPECT_FALSE(store().lastError()) << store().lastError()->toStdString();
    EXPECT_FALSE(present(copy));
    EXPECT_TRUE(inTrash(LocalFile::path(copy)));
    EXPECT_TRUE(QFile::exists(m_original));
    EXPECT_TRUE(store().duplicateSearch().groups.isEmpty());
}

// A marked copy gone from the disk cannot be moved: the card's button and the hotkey alike
// leave it in its card, unmarked, and say why in an alert about the Trash.
TEST_F(DuplicatesEndToEndTest, AMarkedCopyThatCannotBeMovedStaysInItsCardUnmarked)
{
    DuplicateFinderView *view = search();
    ASSERT_TRUE(view);
    ASSERT_EQ(cards().size(), 1);
    const QString copy = path(QStringLiteral("dup/sub/a copy.mp3"));
    ASSERT_TRUE(QFile::remove(copy));
    const std::function<void()> trashes[] = {
        [&] { clickTrash(*view); }, [&] { pressKey(Qt::Key_Backspace, Qt::ControlModifier); }};
    for (const std::function<void()> &trash : trashes) {
        clickToggle(*view, copy);
        ASSERT_EQ(store().duplicateSearch().selectedTrackIDs.size(), 1);
        trash();
        EXPECT_TRUE(store().lastError().has_value());
        QMessageBox *alert = visibleWidget<QMessageBox>();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->text(), QStringLiteral("Не удалось переместить в Корзину"));
        EXPECT_EQ(alert->informativeText(), store().lastError().value_or(QString()));
        ASSERT_EQ(cards().size(), 1);
        EXPECT_TRUE(cards().first().contains(copy));
        EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
        EXPECT_TRUE(QFile::exists(m_original));
        store().setLastError(std::nullopt);
        settle();
    }
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    clickToggle(*view, copy);
    clickTrash(*view);
    QMessageBox *alert = visibleWidget<QMessageBox>();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Couldn’t move to the Trash"));
}

// A search that found nothing says so for its scope, until the roots change or a clear.
TEST_F(DuplicatesEndToEndTest, ASearchWithoutGroupsSaysItFoundNone)
{
    QFile::remove(path(QStringLiteral("dup/sub/a copy.mp3")));
    DuplicateFinderView *view = showDuplicates();
    ASSERT_TRUE(view);
    view->importDroppedURLs({url(QStringLiteral("dup"))});
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 4; }));
    EXPECT_EQ(view->emptyResultState()->titleText(), QStringLiteral("Дубликаты ещё не искали"));
    ASSERT_TRUE(pressFind(*view));
    EXPECT_TRUE(fdupes().isEmpty());
    EXPECT_EQ(view->content(), DuplicateFinderView::Content::emptyResult);
    EXPECT_EQ(view->emptyResultState()->titleText(), QStringLiteral("Дубликаты не найдены"));
    EXPECT_TRUE(view->emptyResultState()->messageText().contains(path(QStringLiteral("dup"))));
    saveScreenshot(QStringLiteral("duplicates-none-ru-dark.png"), settledGrabInAppPalette());

    // Adding the same folder again, written differently, is no new root.
    view->importDroppedURLs({QUrl::fromLocalFile(path(QStringLiteral("dup/./sub/../")))});
    settle(200);
    EXPECT_EQ(store().duplicateSearch().roots.size(), 1);
    EXPECT_EQ(view->emptyResultState()->titleText(), QStringLiteral("Дубликаты не найдены"));

    makeAudio(QStringLiteral("more/b.mp3"), 1.5);
    view->importDroppedURLs({url(QStringLiteral("more"))});
    ASSERT_TRUE(spinUntil([this] { return store().duplicateTracks().size() == 5; }));
    EXPECT_EQ(view->emptyResultState()->titleText(), QStringLiteral("Дубликаты ещё не искали"));
    ASSERT_TRUE(pressFind(*view));
    EXPECT_EQ(view->emptyResultState()->messageText(),
              QStringLiteral("В «2 источника» нет ни точных копий, ни версий одного трека."));
    QTest::mouseClick(view->clearButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(view->content(), DuplicateFinderView::Content::dropZone);
    EXPECT_FALSE(store().duplicateSearch().hasSearched);
}

} // namespace
} // namespace brivello
