#include "workspaces/ui/ConverterView.h"

#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ActionButton.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

namespace brivello {
namespace {

class ConverterViewTest : public testing::LibraryStoreFixture
{
protected:
    ConverterView &makeView(int itemCount)
    {
        LibraryStore &s = makeStore();
        QList<ConversionItem> items;
        for (int i = 0; i < itemCount; ++i)
            items.append({QUuid::createUuid(), url(QStringLiteral("in/%1.flac").arg(i)), {}, {}});
        s.setConversionItems(items);
        m_actions.removeConversionItem = [this](const QUuid &id) {
            QList<ConversionItem> rest = store().conversionItems();
            rest.removeIf([&id](const ConversionItem &item) { return item.id == id; });
            store().setConversionItems(rest);
        };
        m_actions.convertQueuedItems = [this] { ++m_converts; };
        m_view = std::make_unique<ConverterView>(s, m_player, m_actions);
        m_view->resize(900, 500);
        return *m_view;
    }
    void TearDown() override
    {
        m_view.reset();
        LibraryStoreFixture::TearDown();
    }
    QUuid item(int i) { return store().conversionItems().at(i).id; }
    static void post(const QString &name, const QVariantMap &info = {})
    {
        NotificationCenter::defaultCenter().post(name, nullptr, info);
    }

    testing::RecordingAudioPlayer m_player;
    WorkspaceActions m_actions;
    int m_converts = 0;
    std::unique_ptr<ConverterView> m_view;
};

TEST_F(ConverterViewTest, EmptyQueueShowsTheDropZoneAndCannotConvert)
{
    ConverterView &view = makeView(0);
    EXPECT_TRUE(view.isShowingDropZone());
    EXPECT_FALSE(view.convertButton()->isEnabled());
    EXPECT_FALSE(view.countLabel()->isVisibleTo(&view));
}

TEST_F(ConverterViewTest, ConvertEnabledExactlyWhileAnItemWaits)
{
    ConverterView &view = makeView(2);
    EXPECT_TRUE(view.convertButton()->isEnabled());
    QList<ConversionItem> items = store().conversionItems();
    items[0].status.kind = ConversionItem::Status::completed;
    items[1].status = ConversionItem::Status::failure(QStringLiteral("broken"));
    store().setConversionItems(items);
    EXPECT_FALSE(view.convertButton()->isEnabled());
    items.append({QUuid::createUuid(), url(QStringLiteral("new.wav")), {}, {}});
    store().setConversionItems(items);
    EXPECT_TRUE(view.convertButton()->isEnabled());
    view.convertButton()->click();
    EXPECT_EQ(m_converts, 1);
}

TEST_F(ConverterViewTest, BitratePickerFollowsTheSetting)
{
    ConverterView &view = makeView(1);
    EXPECT_EQ(view.bitratePicker()->currentData().toInt(), 320);
    view.bitratePicker()->setCurrentIndex(0);
    emit view.bitratePicker()->activated(0);
    EXPECT_EQ(store().settings().converterBitrate(), 192);
    store().settings().setConverterBitrate(200);
    EXPECT_EQ(view.bitratePicker()->currentIndex(), -1);
    EXPECT_EQ(store().settings().converterBitrate(), 200);
}

TEST_F(ConverterViewTest, KeyboardNotificationsSelectMoveAndRemove)
{
    ConverterView &view = makeView(3);
    post(brivelloNavigateConversionItems, {{QStringLiteral("offset"), -1}});
    EXPECT_EQ(store().converterFocusedItemID(), item(2));
    EXPECT_EQ(m_player.played.size(), 1);
    post(brivelloNavigateConversionItems, {{QStringLiteral("offset"), QStringLiteral("x")}});
    EXPECT_EQ(m_player.played.size(), 1);
    post(brivelloSelectAllConversionItems);
    EXPECT_EQ(store().converterSelectedItemIDs().size(), 3);
    EXPECT_EQ(store().converterFocusedItemID(), item(0));
    EXPECT_TRUE(view.countLabel()->isVisibleTo(&view));
    post(brivelloRemoveConversionItems);
    EXPECT_TRUE(store().conversionItems().isEmpty());
    EXPECT_TRUE(view.isShowingDropZone());
    EXPECT_FALSE(store().converterFocusedItemID());
}

TEST_F(ConverterViewTest, TheEndOfTheQueueEndsPlayback)
{
    makeView(2);
    store().setActiveTab(LibraryStore::LibraryTab::converter);
    post(brivelloNavigateConversionItems, {{QStringLiteral("offset"), 1}});
    ASSERT_EQ(store().converterFocusedItemID(), item(0));
    post(brivelloPlaybackDidFinish);
    EXPECT_EQ(store().converterFocusedItemID(), item(1));
    EXPECT_EQ(m_player.played.size(), 2);
    post(brivelloPlaybackDidFinish);
    EXPECT_EQ(m_player.played.size(), 2);
    EXPECT_EQ(store().converterFocusedItemID(), item(1));
    // Outside the section the view leaves the end of a track to the window.
    store().setActiveTab(LibraryStore::LibraryTab::playlist);
    store().setConverterFocusedItemID(item(0));
    post(brivelloPlaybackDidFinish);
    EXPECT_EQ(m_player.played.size(), 2);
}

TEST_F(ConverterViewTest, RemovingTheFocusedRowMovesTheFocusAndPrunes)
{
    ConverterView &view = makeView(3);
    store().setConverterSelectedItemIDs({item(0), item(1)});
    store().setConverterFocusedItemID(item(0));
    const QUuid second = item(1);
    view.remove(item(0));
    EXPECT_EQ(store().converterFocusedItemID(), second);
    EXPECT_EQ(store().conversionItems().size(), 2);
    QList<ConversionItem> items = store().conversionItems();
    items.removeFirst();
    store().setConversionItems(items);
    EXPECT_TRUE(store().converterSelectedItemIDs().isEmpty());
    EXPECT_FALSE(store().converterFocusedItemID());
}

TEST_F(ConverterViewTest, ClicksOnRowsSelectAndDoubleClickPlaysTheSource)
{
    ConverterView &view = makeView(3);
    view.show();
    QList<ConversionItem> items = store().conversionItems();
    items[1].outputURL = url(QStringLiteral("in/1.mp3"));
    items[1].status.kind = ConversionItem::Status::completed;
    store().setConversionItems(items);
    QWidget *viewport = view.list()->viewport();
    const QPoint row1 = view.list()->rowRect(1).center() - QPoint(200, 0);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, row1);
    EXPECT_EQ(store().converterSelectedItemIDs(), QSet<QUuid>{item(1)});
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, row1);
    ASSERT_EQ(m_player.played.size(), 1);
    ASSERT_TRUE(m_player.loaded);
    EXPECT_EQ(m_player.loaded->url, items[1].url);
    EXPECT_EQ(m_player.loaded->format, QStringLiteral("FLAC"));
    // The ✕ removes its own row.
    const QRect rect = view.list()->rowRect(2);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(rect.right() - 27, rect.center().y()));
    EXPECT_EQ(store().conversionItems().size(), 2);
}

// The ✕ lights up under the pointer; a double click on it removes one item, not also the one
// that moves up under the pointer.
TEST_F(ConverterViewTest, TheRemoveButtonHoversAndADoubleClickRemovesOneItem)
{
    // The light look's highlight shows on the test's light window background.
    Defaults::standard().set(QStringLiteral("appAppearance"), QStringLiteral("light"));
    ConverterView &view = makeView(3);
    view.show();
    QWidget *viewport = view.list()->viewport();
    const QRect row = view.list()->rowRect(1);
    const QPoint cross(row.right() - 16 - 11, row.center().y());
    const auto moveTo = [viewport](const QPoint &point) {
        QMouseEvent move(QEvent::MouseMove,
                         point,
                         viewport->mapToGlobal(point),
                         Qt::NoButton,
                         Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    };
    const QRect around(cross - QPoint(10, 10), QSize(20, 20));
    const QImage before = viewport->grab(around).toImage();
    moveTo(cross);
    EXPECT_EQ(view.hoveredRemoveRow(), 1);
    EXPECT_NE(viewport->grab(around).toImage(), before);
    moveTo(view.list()->rowRect(0).center());
    EXPECT_EQ(view.hoveredRemoveRow(), -1);

    // As a widget gets it: press, release, double click, release.
    const QUuid kept = item(2);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cross);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cross);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cross);
    ASSERT_EQ(store().conversionItems().size(), 2);
    EXPECT_EQ(item(1), kept);
    EXPECT_TRUE(m_player.played.isEmpty());
    Defaults::standard().set(QStringLiteral("appAppearance"), QStringLiteral("dark"));
}

TEST_F(ConverterViewTest, DropsBetweenRowsStartOneImportPerItem)
{
    ConverterView &view = makeView(1);
    view.show();
    const QUrl a = touch(QStringLiteral("drop/a.wav"));
    const QUrl b = touch(QStringLiteral("drop/b.mp3"));
    auto *mime = new QMimeData;
    mime->setUrls({a, b});
    const QPoint below(100, view.list()->viewport()->height() - 5);
    QDragEnterEvent enter(below, Qt::CopyAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.list()->viewport(), &enter);
    QDropEvent drop(QPointF(below), Qt::CopyAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.list()->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(spinUntil([this] { return store().conversionItems().size() >= 3; }));
    EXPECT_EQ(store().conversionItems().size(), 3);
    delete mime;
}

} // namespace
} // namespace brivello
