#include "library/LibrarySections.h"
#include "shell/ContentArea.h"
#include "shell/DashboardSidebar.h"
#include "shell/PlaylistMultiFileDragOverlay.h"
#include "shell/PlaylistView.h"
#include "shell/SidebarSectionButton.h"
#include "shell/TrackRowDelegate.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/FileRowList.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace brivello {
namespace {

// Rows dragged onto the sidebar's section buttons through the real drag loop: the drop
// imports the files and switches sections while the drag still runs in the view being left.
class RowDragEndToEndTest : public testing::EndToEndFixture
{
protected:
    void TearDown() override
    {
        PlaylistMultiFileDragOverlay::setDragLoopForTesting({});
        EndToEndFixture::TearDown();
    }

    // Presses at `from` on `viewport` and moves past the drag distance, which starts the row's
    // drag. The offscreen platform has no drag loop of its own (its exec returns at once); the
    // stand-in does what the desktop's does: the drag enters `target`, drops there, and the
    // event loop turns before the drag returns to the view.
    void dragOnto(QWidget *viewport, const QPoint &from, QWidget *target)
    {
        bool dropped = false;
        PlaylistMultiFileDragOverlay::setDragLoopForTesting([target, &dropped](QDrag *drag) {
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(
                at, Qt::CopyAction, drag->mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent drop(at, Qt::CopyAction, drag->mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            dropped = drop.isAccepted();
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
            return dropped ? drop.dropAction() : Qt::IgnoreAction;
        });
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
        const QPoint away = from + QPoint(0, 3 * QApplication::startDragDistance());
        QMouseEvent move(QEvent::MouseMove,
                         away,
                         viewport->mapToGlobal(away),
                         Qt::NoButton,
                         Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        PlaylistMultiFileDragOverlay::setDragLoopForTesting({});
        EXPECT_TRUE(dropped) << "the drag was not taken by the button";
        // The view that started the drag goes only now, after the drag returned to it.
        settle();
    }

    SidebarSectionButton *button(Tab tab) { return window().sidebar()->sectionButton(tab); }

    // Drags the first row of `source` onto every other section's button: the section being
    // left goes once the drag returns, and the file joins the section it was dropped on.
    void dragOntoEverySection(Tab source, const QUrl &file, const QUuid &id)
    {
        for (Tab target : allSections()) {
            if (target == source)
                continue;
            ASSERT_TRUE(clickSectionButton(source));
            const QPointer<QAbstractScrollArea> left = rowList(source);
            ASSERT_TRUE(left);
            dragOnto(left->viewport(), firstRow(source), button(target));
            EXPECT_EQ(store().activeTab(), target) << int(target);
            // Deleted a few event-loop turns after the drag has returned to it; the import
            // reads the file first, which a busy machine may take its time over.
            EXPECT_TRUE(spinUntil([&] { return !left; }))
                << "the list left behind outlived the drag";
            EXPECT_TRUE(spinUntil([&] { return imported(target, file, id); })) << int(target);
        }
    }

    QAbstractScrollArea *rowList(Tab source)
    {
        QWidget *view = window().contentArea()->currentView();
        if (source == Tab::playlist)
            return view->findChild<PlaylistView *>();
        return view->findChild<FileRowList *>();
    }

    QPoint firstRow(Tab source)
    {
        if (source == Tab::playlist)
            return firstPlaylistRow();
        auto *list = static_cast<FileRowList *>(rowList(source));
        EXPECT_TRUE(spinUntil([&] { return list->rowAt(list->rowRect(0).center()) == 0; }));
        return list->rowRect(0).center();
    }

    PlaylistView *playlistView()
    {
        return window().contentArea()->currentView()->findChild<PlaylistView *>();
    }

    QPoint firstPlaylistRow()
    {
        PlaylistView *view = playlistView();
        view->layOutRows();
        const QRect rect = view->elementRect(0);
        return TrackRowDelegate::geometry(rect, true, view->rowDelegate()->density())
            .content.center();
    }

    bool imported(Tab tab, const QUrl &file, const QUuid &id)
    {
        switch (tab) {
        case Tab::playlist:
            return track(id) && track(id)->isInPlaylist;
        case Tab::favorites:
            return track(id) && track(id)->isFavorite;
        case Tab::covers:
            return track(id) && track(id)->isInCoverWorkspace;
        case Tab::converter:
            return std::any_of(store().conversionItems().cbegin(),
                               store().conversionItems().cend(),
                               [&](const ConversionItem &item) { return item.url == file; });
        case Tab::analysis:
            return std::any_of(store().analysisTracks().cbegin(),
                               store().analysisTracks().cend(),
                               [&](const Track &t) { return t.url == file; });
        case Tab::duplicates:
            return store().duplicateSearch().roots.contains(file);
        }
        return false;
    }
};

TEST_F(RowDragEndToEndTest, PlaylistRowsDraggedOntoEachSectionButtonAreImportedThere)
{
    const QUrl url = QUrl::fromLocalFile(makeAudio(QStringLiteral("drag/One.mp3")));
    const QList<QUuid> ids = importAndWait({url});
    ASSERT_EQ(ids.size(), 1);
    dragOntoEverySection(Tab::playlist, url, ids.first());
    // Onto its own section: imported again (nothing new), the playlist stays.
    ASSERT_TRUE(clickSectionButton(Tab::playlist));
    const QPointer<PlaylistView> same = playlistView();
    dragOnto(same->viewport(), firstPlaylistRow(), button(Tab::playlist));
    EXPECT_TRUE(same);
    EXPECT_EQ(store().sections().playlistTracks().size(), 1);
}

TEST_F(RowDragEndToEndTest, ConverterRowsDraggedOntoEachSectionButtonAreImportedThere)
{
    const QUrl url = QUrl::fromLocalFile(makeAudio(QStringLiteral("drag/Two.flac")));
    const QList<QUuid> ids = importAndWait({url});
    ASSERT_EQ(ids.size(), 1);
    queueForConversion({url});
    dragOntoEverySection(Tab::converter, url, ids.first());
}

} // namespace
} // namespace brivello
