#include "shell/PlaylistView.h"

#include "library/LibrarySections.h"
#include "library/PlaylistModel.h"
#include "library/TrackRemoval.h"
#include "shell/ContextualHint.h"
#include "shell/HintOverlay.h"
#include "shell/PlaylistSection.h"
#include "shell/ShellEvents.h"
#include "shell/TrackRowDelegate.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

using namespace brivello;
using namespace brivello::testing;

namespace {

// The playlist section on the offscreen platform over a store filled by a real import.
class PlaylistViewTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
    }
    void TearDown() override
    {
        section.reset();
        LibraryStoreFixture::TearDown();
    }
    // `folders` folders of `perFolder` files each, some nested, imported as one folder.
    void importTree(int folders, int perFolder)
    {
        for (int f = 0; f < folders; ++f) {
            const QString folder = f % 3 == 0
                                       ? QStringLiteral("tree/Set %1").arg(f)
                                       : QStringLiteral("tree/Set %1/Disc %2").arg(f / 3).arg(f);
            for (int i = 0; i < perFolder; ++i)
                touch(QStringLiteral("%1/%2 - Artist - Title %2.mp3").arg(folder).arg(i + 1));
        }
        importAndWait({url(QStringLiteral("tree"))});
    }
    void show(int width = 900, int height = 640)
    {
        section = std::make_unique<PlaylistSection>(store(), player);
        section->resize(width, height);
        section->show();
        QVERIFY(QTest::qWaitForWindowExposed(section.get()));
        view()->layOutRows();
    }
    PlaylistView *view() const { return section->view(); }
    PlaylistModel *model() const { return view()->playlistModel(); }
    QPoint contentPoint(int row) const
    {
        const QRect element = view()->elementRect(row);
        const auto g = TrackRowDelegate::geometry(
            element, model()->startsFolder(row), view()->rowDelegate()->density());
        return g.content.center();
    }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, contentPoint(row));
    }
    QSet<QUuid> rows(std::initializer_list<int> list) const
    {
        QSet<QUuid> ids;
        for (int row : list)
            ids.insert(model()->trackAt(row).id);
        return ids;
    }
    bool drop(QWidget *target, const QPoint &pos, QMimeData *mime)
    {
        QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropEvent);
        return dropEvent.isAccepted();
    }

    RecordingAudioPlayer player;
    std::unique_ptr<PlaylistSection> section;
};

TEST_F(PlaylistViewTest, ClicksSelectThroughTheStore)
{
    importTree(2, 5);
    show();
    click(2);
    EXPECT_EQ(store().selectedIDs(), rows({2}));
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(store().selectedIDs(), rows({2, 3, 4, 5}));
    EXPECT_EQ(store().selectedID(), model()->trackAt(5).id);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(store().selectedIDs(), rows({2, 4, 5}));
    // Ctrl took the focused row out; the focus moved to the first selected row, 2.
    click(0, Qt::ShiftModifier);
    EXPECT_EQ(store().selectedIDs(), rows({0, 1, 2}));

    // A plain press on a selected row waits for the release.
    store().setSelectedIDs(rows({6, 7, 8}));
    store().setSelectedID(model()->trackAt(7).id);
    QTest::mousePress(view()->viewport(), Qt::LeftButton, Qt::NoModifier, contentPoint(7));
    EXPECT_EQ(store().selectedIDs(), rows({6, 7, 8}));
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, Qt::NoModifier, contentPoint(7));
    EXPECT_EQ(store().selectedIDs(), rows({7}));
}

TEST_F(PlaylistViewTest, DoubleClickStartsTheTrackAndTheHeartTogglesOnlyItsTrack)
{
    importTree(1, 4);
    show();
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, contentPoint(1));
    EXPECT_EQ(player.started, QList<QUuid>{model()->trackAt(1).id});
    EXPECT_EQ(store().selectedIDs(), rows({1}));

    const auto g =
        TrackRowDelegate::geometry(view()->elementRect(3), model()->startsFolder(3), 1.0);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, g.heart.center());
    EXPECT_TRUE(model()->trackAt(3).isFavorite);
    EXPECT_EQ(store().selectedIDs(), rows({1})); // the heart never selects
}

TEST_F(PlaylistViewTest, ThePlayingRowIsMarkedAndFollowedByTheList)
{
    importTree(10, 20);
    show(900, 400);
    const int last = model()->rowCount() - 1;
    player.start(model()->trackAt(last));
    EXPECT_TRUE(model()->isCurrent(last));
    EXPECT_TRUE(model()->isPlaying(last));
    QTRY_VERIFY(view()->viewport()->rect().intersects(view()->elementRect(last)));

    // The list follows in the same turn as the change of track, not after work queued before
    // it (without motion the glide is a jump, so the outcome shows at once).
    ShellEvents::instance().setReduceMotion(true);
    player.start(model()->trackAt(0));
    EXPECT_TRUE(view()->viewport()->rect().intersects(view()->elementRect(0)));
    ShellEvents::instance().setReduceMotion(false);
}

TEST_F(PlaylistViewTest, DroppedItemsBecomeOneImportOfTheWholeDrop)
{
    importTree(1, 2);
    show();
    m_metadataLoads.clear();
    QMimeData mime;
    mime.setUrls({touch(QStringLiteral("in/a.mp3")),
                  touch(QStringLiteral("in/b.flac")),
                  touch(QStringLiteral("in/c.wav"))});
    // Below the last row: the list's own drop.
    const QPoint empty(view()->viewport()->width() / 2, view()->viewport()->height() - 5);
    EXPECT_TRUE(drop(view()->viewport(), empty, &mime));
    // The import hands its new tracks to the metadata loader once it has finished: all three
    // at once, so its status counts them all.
    ASSERT_TRUE(
        spinUntil([this] { return model()->rowCount() == 5 && !m_metadataLoads.isEmpty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(m_metadataLoads.size(), 1);
    EXPECT_EQ(m_metadataLoads.first().tracks.size(), 3);

    // Onto a row: the files arrive together.
    m_metadataLoads.clear();
    QMimeData more;
    more.setUrls({touch(QStringLiteral("in/d.mp3")), touch(QStringLiteral("in/e.mp3"))});
    EXPECT_TRUE(drop(view()->viewport(), contentPoint(0), &more));
    ASSERT_TRUE(
        spinUntil([this] { return model()->rowCount() == 7 && !m_metadataLoads.isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_metadataLoads.size(), 1);
    EXPECT_EQ(m_metadataLoads.first().tracks.size(), 2);
}

TEST_F(PlaylistViewTest, DropsWithoutAFileAreRefused)
{
    show();
    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QWidget *zone = section->findChild<QWidget *>(QStringLiteral("playlistDropZone"));
    ASSERT_TRUE(zone);
    EXPECT_FALSE(drop(zone, zone->rect().center(), &text));

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.mp3"))});
    EXPECT_FALSE(drop(zone, zone->rect().center(), &web));

    QMimeData file;
    file.setUrls({touch(QStringLiteral("z/one.mp3"))});
    EXPECT_TRUE(drop(zone, zone->rect().center(), &file));
    ASSERT_TRUE(spinUntil([this] { return store().sections().playlistTracks().size() == 1; }));

    // A drag that started on a row is never taken by a row.
    view()->layOutRows();
    RowDragMimeData own;
    own.setUrls({touch(QStringLiteral("z/two.mp3"))});
    EXPECT_FALSE(drop(view()->viewport(), contentPoint(0), &own));
}

TEST_F(PlaylistViewTest, TheContextMenuTargetsTheClickedRowOrTheSelection)
{
    importTree(1, 5);
    show();
    const auto titles = [this](int row) {
        QObject owner;
        QStringList texts;
        for (QAction *action : view()->trackMenuActions(row, &owner))
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    store().setSelectedIDs(rows({1, 2, 3}));
    EXPECT_EQ(titles(0).at(3), QStringLiteral("Удалить из плейлиста"));
    EXPECT_EQ(titles(2).at(3), QStringLiteral("Удалить выбранные из плейлиста"));
    EXPECT_EQ(titles(2).at(5), QStringLiteral("Переместить выбранные в Корзину"));

    // The favourite item acts on every target; the selection stays.
    QObject owner;
    view()->trackMenuActions(2, &owner).at(2)->trigger();
    for (int row : {1, 2, 3})
        EXPECT_TRUE(model()->trackAt(row).isFavorite);
    EXPECT_FALSE(model()->trackAt(0).isFavorite);
    EXPECT_EQ(titles(2).at(2), QStringLiteral("Убрать из избранного"));
    EXPECT_EQ(store().selectedIDs(), rows({1, 2, 3}));

    view()->trackMenuActions(0, &owner).at(3)->trigger();
    EXPECT_EQ(model()->rowCount(), 4);
}

TEST_F(PlaylistViewTest, TheHeartsHoverHintFollowsTheFavouriteAndItsHotkey)
{
    importTree(1, 2);
    show();
    HintOverlay *overlay = HintOverlay::forWindow(section.get());
    const auto heartCentre = [this](int row) {
        return TrackRowDelegate::geometry(view()->elementRect(row),
                                          model()->startsFolder(row),
                                          view()->rowDelegate()->density())
            .heart.center();
    };
    // Straight to the list: the open hint's bubble lies over the rows below.
    const auto hover = [this](QPoint pos) {
        QMouseEvent move(QEvent::MouseMove,
                         pos,
                         view()->viewport()->mapToGlobal(pos),
                         Qt::NoButton,
                         Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view()->viewport(), &move);
    };
    hover(heartCentre(0));
    m_scheduler.advance(2.9);
    EXPECT_FALSE(overlay->isVisible());
    m_scheduler.advance(0.1);
    ASSERT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->titleText(), "Добавить в избранное");
    EXPECT_EQ(overlay->shortcutText(), "F");

    // The next row's heart is a hint of its own, with that track's texts.
    store().settings().setHotkey(QStringLiteral("hotkeyFavorite"), QStringLiteral("⌘L"));
    QList<Track> tracks = store().tracks();
    tracks[1].isFavorite = true;
    store().setTracks(tracks);
    hover(heartCentre(1));
    EXPECT_FALSE(overlay->isVisible());
    m_scheduler.advance(3.0);
    ASSERT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->titleText(), "Убрать из избранного");
    EXPECT_EQ(overlay->shortcutText(), "Ctrl+L");
    EXPECT_TRUE(view()->toolTip().isEmpty());

    // Rows that move take the open hint with them.
    store().removal().removeTracksFromPlaylist({model()->trackAt(0).id});
    EXPECT_FALSE(overlay->isVisible());
}

TEST_F(PlaylistViewTest, TheScrollBarShowsOnlyWhenTheRowsDoNotFit)
{
    importTree(1, 3);
    show();
    EXPECT_FALSE(view()->verticalScrollBar()->isVisible());
    importTree(4, 12);
    view()->layOutRows();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view()->verticalScrollBar()->isVisible());
}

} // namespace
