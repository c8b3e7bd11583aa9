#include "ShellFixture.h"
#include "library/LibrarySettingsKeys.h"
#include "library/MetadataLoading.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "playback/PlayerBlockSizing.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "settings/ContextualHintState.h"
#include "shell/ActionButton.h"
#include "shell/ContentArea.h"
#include "shell/ContextualHint.h"
#include "shell/DashboardSidebar.h"
#include "shell/HintOverlay.h"
#include "shell/MotionValue.h"
#include "shell/RoundedClipEffect.h"
#include "shell/SectionToolbar.h"
#include "shell/SidebarAppearanceToggle.h"
#include "shell/SidebarSectionButton.h"
#include "shell/ToolbarIconButton.h"
#include "workspaces/MainWindowController.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/WorkspaceEmptyState.h"
#include "workspaces/ui/WorkspaceStatusBar.h"

#include <QDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace brivello {
namespace {

using Tab = LibraryStore::LibraryTab;

TEST_F(ShellFixture, WindowOpensAtDefaultSizeWithSidebarAndToolbarInPlace)
{
    MainWindow &w = window();
    EXPECT_EQ(w.size(), QSize(1440, 900));
    EXPECT_EQ(w.minimumSize(), QSize(1280, 760));
    EXPECT_EQ(w.sidebar()->geometry(), QRect(16, 16, 220, 868));
    EXPECT_EQ(w.toolbar()->geometry(), QRect(16 + 220 + 16, 16, 1440 - 16 - 220 - 16 - 16, 54));
    EXPECT_EQ(w.playerBlock()->height(), 174);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(ShellFixture, WhileMetadataLoadsRunEveryChangeStillReachesTheScreen)
{
    MainWindow &w = window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    PaintCounter painted;
    w.installEventFilter(&painted);
    {
        // Frames are paced while loads run; none is lost, the last change is drawn too.
        MetadataLoading::Scope loading(store());
        ASSERT_TRUE(store().metadataLoading().isLoading());
        for (int i = 0; i < 5; ++i) {
            const int before = painted.count;
            w.update();
            ASSERT_TRUE(QTest::qWaitFor([&] { return painted.count > before; }, 5000))
                << "change " << i << " was never painted";
        }
    }
    const int before = painted.count;
    w.update();
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted.count > before; }, 5000));
    w.removeEventFilter(&painted);
}

TEST_F(ShellFixture, GrabShowsSidebarAndToolbarWhereTheyBelongInBothSchemes)
{
    ShellEvents::instance().setReduceMotion(true); // the switch's knob jumps
    store().setTracks(makeTracks(12, true));
    for (const char *appearance : {"dark", "light"}) {
        Defaults::standard().set("appAppearance", QString::fromLatin1(appearance));
        QCoreApplication::processEvents();
        const QImage image = settledGrab();
        ASSERT_EQ(image.size(), QSize(1440, 900) * image.devicePixelRatio());
        const QColor canvas = image.pixelColor(8, 450);
        const bool light = QLatin1String(appearance) == QLatin1String("light");
        EXPECT_EQ(canvas.lightness() > 128, light) << appearance;
        // The sidebar's glass differs from the canvas inside its 220 pt, not beyond it.
        const QColor insideSidebar = image.pixelColor(16 + 110, 700);
        const QColor gapAfterSidebar = image.pixelColor(16 + 220 + 8, 700);
        EXPECT_NE(insideSidebar, image.pixelColor(8, 700)) << appearance;
        EXPECT_LT(qAbs(gapAfterSidebar.lightness() - image.pixelColor(8, 700).lightness()), 6);
        // The toolbar's glass covers y 16..69 and ends before the gap at y 75.
        const int x = 700;
        EXPECT_NE(image.pixelColor(x, 40), image.pixelColor(x, 8)) << appearance;
        EXPECT_LT(qAbs(image.pixelColor(x, 75).lightness() - image.pixelColor(x, 8).lightness()),
                  8);
        saveScreenshot(QStringLiteral("window-ru-%1.png").arg(QLatin1String(appearance)), image);
    }
}

TEST_F(ShellFixture, CollapsingTheSidebarNarrowsItTo104)
{
    ShellEvents::instance().setReduceMotion(true);
    window().sidebar()->collapseButton()->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Defaults::standard().boolean("sidebarCollapsed"));
    EXPECT_EQ(window().sidebar()->width(), 104);
    EXPECT_EQ(window().toolbar()->geometry().left(), 16 + 104 + 16);
    EXPECT_FALSE(window().sidebar()->statusBar()->isVisible());
    window().sidebar()->collapseButton()->click();
    EXPECT_EQ(window().sidebar()->width(), 220);
}

TEST_F(ShellFixture, SectionButtonsSwitchTheToolbarAndContent)
{
    DashboardSidebar *sidebar = window().sidebar();
    ShellEvents::instance().setReduceMotion(true);
    sidebar->sectionButton(Tab::converter)->click();
    EXPECT_EQ(store().activeTab(), Tab::converter);
    EXPECT_EQ(window().toolbar()->titleText(), "КОНВЕРТЕР");
    auto *converter = qobject_cast<ConverterView *>(window().contentArea()->currentView());
    ASSERT_TRUE(converter);
    EXPECT_TRUE(converter->isShowingDropZone());
    EXPECT_TRUE(sidebar->sectionButton(Tab::converter)->isSelected());
    EXPECT_FALSE(sidebar->sectionButton(Tab::playlist)->isSelected());

    sidebar->sectionButton(Tab::favorites)->click();
    ASSERT_EQ(window().toolbar()->buttons().size(), 4);
    for (ActionButton *button : window().toolbar()->buttons()) {
        EXPECT_FALSE(button->isEnabled()); // nothing selected
        EXPECT_TRUE(button->isVisible());
    }
}

TEST_F(ShellFixture, CountsFollowTheStore)
{
    const QList<Track> tracks = makeTracks(3, true);
    store().setTracks(tracks);
    QList<ConversionItem> items(2);
    store().setConversionItems(items);
    {
        DuplicateSearchState search = store().duplicateSearch();
        search.groups = {AudioDuplicateGroup{"g", {tracks[0].id, tracks[1].id}, 0, {}}};
        store().setDuplicateSearch(std::move(search));
    }
    DashboardSidebar *sidebar = window().sidebar();
    EXPECT_EQ(sidebar->sectionButton(Tab::playlist)->count(), 3);
    EXPECT_EQ(sidebar->sectionButton(Tab::converter)->count(), 2);
    EXPECT_EQ(sidebar->sectionButton(Tab::duplicates)->count(), 1); // groups, not files
    EXPECT_EQ(sidebar->sectionButton(Tab::favorites)->count(), 0);
    EXPECT_EQ(sidebar->statusBar()->summary().sidebarText().primary, "Плейлист: 3");
}

TEST_F(ShellFixture, ActivateTabRemembersAndRestoresEachSectionsSelection)
{
    const QList<Track> tracks = makeTracks(3, true);
    store().setTracks(tracks);
    store().setSelectedID(tracks[1].id);
    store().setSelectedIDs({tracks[0].id, tracks[1].id});
    MainWindowController &controller = window().controller();
    controller.activateTab(Tab::converter);
    EXPECT_EQ(store().activeTab(), Tab::converter);
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    controller.activateTab(Tab::playlist);
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{tracks[0].id, tracks[1].id}));
    EXPECT_EQ(store().selectedID(), tracks[1].id);

    // Activating the active section does nothing, not even ending a tag edit.
    int changes = 0;
    QObject::connect(&store(), &LibraryStore::activeTabChanged, [&changes] { ++changes; });
    store().setIsEditingMetadata(true);
    controller.activateTab(Tab::playlist);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(store().isEditingMetadata());
}

TEST_F(ShellFixture, EnteringFavouritesFocusesTheRememberedTrackOnTheNextTurn)
{
    QList<Track> tracks = makeTracks(2, true);
    for (Track &track : tracks)
        track.isFavorite = true;
    store().setTracks(tracks);
    MainWindowController &controller = window().controller();
    controller.activateTab(Tab::favorites);
    store().setSelectedID(tracks[1].id);
    store().setSelectedIDs({tracks[1].id});
    controller.activateTab(Tab::playlist);
    QList<QVariant> focused;
    NotificationCenter::defaultCenter().observe(
        brivelloFocusFavoriteTrack, nullptr, &store(), [&focused](const Notification &n) {
            focused.append(n.userInfo.value(kUserInfoTrackID));
        });
    controller.activateTab(Tab::favorites);
    EXPECT_TRUE(focused.isEmpty()); // posted after activateTab returns
    QCoreApplication::processEvents();
    ASSERT_EQ(focused.size(), 1);
    EXPECT_EQ(focused.first().toUuid(), tracks[1].id);
}

TEST_F(ShellFixture, PlaylistSelectionFollowUpMakesTheSingleSelectionTheMultiSelection)
{
    const QList<Track> tracks = makeTracks(3, true);
    store().setTracks(tracks);
    store().setSelectedID(tracks[0].id);
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{tracks[0].id});
    EXPECT_TRUE(store().session().hasPendingWorkspaceSave());
    store().setSelectedIDs({tracks[0].id, tracks[1].id});
    store().setSelectedID(tracks[2].id); // a multi-selection stays
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{tracks[0].id, tracks[1].id}));
    window().controller().activateTab(Tab::covers);
    store().setSelectedIDs({});
    store().setSelectedID(tracks[1].id); // another section: nothing
    EXPECT_TRUE(store().selectedIDs().isEmpty());
}

TEST_F(ShellFixture, TrackEndHandsOverToTheNextTrackExceptInConverterAndDuplicates)
{
    int nextCalls = 0;
    window().controller().setPlayNextAfterCompletion([&nextCalls] { ++nextCalls; });
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish, &player());
    EXPECT_EQ(nextCalls, 1);
    window().controller().activateTab(Tab::converter);
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish, &player());
    window().controller().activateTab(Tab::duplicates);
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish, &player());
    EXPECT_EQ(nextCalls, 1);
}

TEST_F(ShellFixture, LanguageSwitchRedrawsEveryShellText)
{
    int posted = 0;
    NotificationCenter::defaultCenter().observe(brivelloLanguageDidChange,
                                                nullptr,
                                                &store(),
                                                [&posted](const Notification &) { ++posted; });
    Defaults::standard().set("appLanguage", "en");
    EXPECT_GE(posted, 1);
    EXPECT_EQ(window().toolbar()->titleText(), "PLAYLIST");
    EXPECT_EQ(window().sidebar()->sectionButton(Tab::duplicates)->titleText(), "Duplicates");
    EXPECT_EQ(window().toolbar()->buttons().first()->text(), "Add");
    EXPECT_EQ(window().playerBlock()->moveButton()->accessibleName(), "Move the player up");
    EXPECT_EQ(window().sidebar()->statusBar()->accessibleName(), "Playlist: 0");
    ShellEvents::instance().setReduceMotion(true);
    store().setTracks(makeTracks(12, true));
    for (const char *appearance : {"dark", "light"}) {
        Defaults::standard().set("appAppearance", QString::fromLatin1(appearance));
        QCoreApplication::processEvents();
        saveScreenshot(QStringLiteral("window-en-%1.png").arg(QLatin1String(appearance)),
                       settledGrab());
    }
    Defaults::standard().set("appLanguage", "ru");
    EXPECT_EQ(window().toolbar()->buttons().first()->text(), "Добавить");
}

TEST_F(ShellFixture, AppearanceSwitchWritesItsSetting45msAfterTheLastClick)
{
    SidebarAppearanceToggle *toggle = window().sidebar()->appearanceToggle();
    toggle->click();
    m_scheduler.advance(0.02);
    toggle->click();
    m_scheduler.advance(0.02);
    toggle->click();
    m_scheduler.advance(0.044);
    EXPECT_FALSE(Defaults::standard().contains("appAppearance"));
    m_scheduler.advance(0.001);
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "light");
    EXPECT_EQ(ShellEvents::instance().scheme(), ColorScheme::light);
}

TEST_F(ShellFixture, ErrorAlertShowsTheStoreErrorAndClearsItOnClose)
{
    Defaults::standard().set("appLanguage", "en");
    store().setLastError(QStringLiteral("Не удалось сохранить теги"));
    QMessageBox *alert = window().errorAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "Couldn’t save tags");
    EXPECT_EQ(alert->buttons().first()->text(), "OK");
    alert->buttons().first()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(store().lastError());

    store().setNotice(QStringLiteral("Этот трек"));
    ASSERT_TRUE(window().noticeAlert());
    EXPECT_EQ(window().noticeAlert()->informativeText(), "Этот трек");
    window().noticeAlert()->reject();
    QCoreApplication::processEvents();
    EXPECT_FALSE(store().notice());
}

TEST_F(ShellFixture, UpdateFoundIsPresentedOnceThenAgainAfterADay)
{
    double now = 1000;
    window().controller().setUpdatePromptRule(UpdatePromptRule([&now] { return now; }));
    QList<UpdateManager::Release> shown;
    window().setUpdatePresenter([&shown](const UpdateManager::Release &r) { shown.append(r); });
    UpdateManager::Release release{QStringLiteral("2.0"), 1, {}, {}, {}};
    updates().setState(UpdateManager::State::available, release);
    EXPECT_EQ(shown.size(), 1);
    updates().setState(UpdateManager::State::failed, std::nullopt, "x");
    now = 1000 + 86399;
    updates().setState(UpdateManager::State::available, release);
    EXPECT_EQ(shown.size(), 1);
    updates().setState(UpdateManager::State::upToDate);
    now = 1000 + 86400;
    updates().setState(UpdateManager::State::available, release);
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(ShellFixture, PlayerBlockDragStoresTheHeightWithinItsBounds)
{
    ResizablePlayerDashboardBlock *block = window().playerBlock();
    block->dragChanged(0);
    block->dragChanged(-60.4); // below the content: up grows
    EXPECT_EQ(block->height(), 234);
    block->dragEnded();
    EXPECT_EQ(Defaults::standard().real("playerPanelHeight"), 234);
    block->dragChanged(0);
    block->dragChanged(-1000);
    block->dragEnded();
    EXPECT_EQ(Defaults::standard().real("playerPanelHeight"), 348);
    block->moveButton()->click();
    EXPECT_TRUE(store().settings().dashboardPlayerOnTop());

    window().resize(1280, 760); // compact: the cap is the minimum plus 44
    block->dragChanged(0);
    block->dragChanged(1000); // on top: down grows
    block->dragEnded();
    EXPECT_EQ(block->height(), 218);
}

TEST(PlayerBlockSizingTest, NarrowWindowsGetTheCompactCapAndTheWiderGap)
{
    struct Case
    {
        double width, height;
        bool compact;
        double gap, maximum;
    };
    for (const Case c : {Case{1280, 760, true, 14, 218},
                         Case{1399, 900, true, 14, 218},
                         Case{1400, 900, false, 10, 348},
                         Case{1440, 600, false, 10, 314}}) {
        const PlayerBlockSizing s = PlayerBlockSizing::compute(c.width, c.height, 42);
        EXPECT_EQ(s.compact, c.compact) << c.width << "x" << c.height;
        EXPECT_EQ(s.gap, c.gap) << c.width << "x" << c.height;
        EXPECT_EQ(s.minimumHeight, 174) << c.width << "x" << c.height;
        EXPECT_EQ(s.maximumHeight, c.maximum) << c.width << "x" << c.height;
    }
}

TEST_F(ShellFixture, HintOverlayShowsTheHoveredControlsHintAndCanSwitchHintsOff)
{
    window().controller().activateTab(Tab::favorites);
    HintOverlay *overlay = HintOverlay::forWindow(&window());
    // The pointer rests on the control (leaving it closes the hint).
    const auto hover = [this](QWidget *control) {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(control, &enter);
        m_scheduler.advance(3.0);
    };
    ActionButton *clean = window().toolbar()->buttons().first();
    ASSERT_TRUE(ContextualHint::of(clean));
    hover(clean);
    ASSERT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->parentWidget(), &window());
    EXPECT_EQ(overlay->titleText(), "Очистить выбранные");
    EXPECT_EQ(overlay->shortcutText(), "Ctrl+B");
    EXPECT_EQ(overlay->focusPolicy(), Qt::NoFocus);
    overlay->disableButton()->click();
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_FALSE(Defaults::standard().boolean("contextualHintsEnabled", true));
}

TEST_F(ShellFixture, CollapseAndMoveButtonsCarryTheSharedHintNotATooltip)
{
    ShellEvents::instance().setReduceMotion(true);
    ToolbarIconButton *collapse = window().sidebar()->collapseButton();
    ToolbarIconButton *move = window().playerBlock()->moveButton();
    for (QWidget *control : {static_cast<QWidget *>(collapse),
                             static_cast<QWidget *>(move),
                             static_cast<QWidget *>(window().sidebar()->settingsButton())}) {
        ASSERT_TRUE(ContextualHint::of(control)) << control->accessibleName().toStdString();
        EXPECT_TRUE(control->toolTip().isEmpty()) << control->accessibleName().toStdString();
    }
    EXPECT_EQ(ContextualHint::of(collapse)->title(), "Свернуть боковую панель");
    EXPECT_EQ(ContextualHint::of(move)->title(), "Переместить плеер вверх");
    collapse->click();
    move->click();
    EXPECT_EQ(ContextualHint::of(collapse)->title(), "Развернуть боковую панель");
    EXPECT_EQ(ContextualHint::of(move)->title(), "Переместить плеер вниз");

    HintOverlay *overlay = HintOverlay::forWindow(&window());
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(move, &enter);
    m_scheduler.advance(3.0);
    ASSERT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->detailText(), "Меняет местами плеер и список раздела.");
    EXPECT_TRUE(overlay->shortcutText().isEmpty());
    EXPECT_EQ(overlay->disableButton()->text(), "Отключить подсказки");
}

TEST_F(ShellFixture, AHintNeverOutlivesItsControlOrItsDialog)
{
    QDialog dialog(&window());
    auto *control = new ToolbarIconButton(QStringLiteral("gearshape"), &dialog);
    ContextualHint::attach(control, m_scheduler, QStringLiteral("Настройки"), QString());
    dialog.show();
    HintOverlay *overlay = HintOverlay::forWindow(&dialog);
    const auto presentHint = [this](QWidget *target) {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(target, &enter);
        m_scheduler.advance(3.0);
    };
    presentHint(control);
    ASSERT_TRUE(overlay->isVisible());
    dialog.reject();
    EXPECT_FALSE(ContextualHint::of(control)->state()->isPresented());
    dialog.show();
    EXPECT_FALSE(overlay->isVisible());

    presentHint(control);
    ASSERT_TRUE(overlay->isVisible());
    delete control;
    EXPECT_FALSE(overlay->isVisible());
}

TEST_F(ShellFixture, ReenteringAControlRestartsTheHintsWaitAndKeepsAnOpenHintOpen)
{
    ContextualHintState &state = *ContextualHint::of(window().sidebar()->settingsButton())->state();
    state.hoverChanged(true);
    m_scheduler.advance(2.0);
    state.hoverChanged(false);
    state.hoverChanged(true);
    m_scheduler.advance(2.9); // the first wait would have ended here
    EXPECT_FALSE(state.isPresented());
    m_scheduler.advance(0.1);
    EXPECT_TRUE(state.isPresented());
    state.hoverChanged(false);
    state.hoverChanged(true);
    EXPECT_TRUE(state.isPresented());
    EXPECT_TRUE(state.isPending());
}

TEST_F(ShellFixture, ClosingTheWindowWritesTheSnapshotAtOnce)
{
    store().setTracks(makeTracks(2, true));
    ASSERT_TRUE(store().session().hasPendingWorkspaceSave());
    window().close();
    EXPECT_FALSE(store().session().hasPendingWorkspaceSave());
    EXPECT_FALSE(Defaults::standard().data("brivello.workspaceSession.v1").isEmpty());
}

TEST_F(ShellFixture, FilesDroppedOnASectionButtonAreImportedThereAndShowTheSection)
{
    const QUrl file = touch(QStringLiteral("drop/One.mp3"));
    QMimeData mime;
    mime.setUrls({file, QUrl(QStringLiteral("https://example.com/x.mp3"))});
    EXPECT_EQ(SidebarSectionButton::fileURLs(&mime), QList<QUrl>{file});
    SidebarSectionButton *converter = window().sidebar()->sectionButton(Tab::converter);
    EXPECT_TRUE(dragEnter(converter, &mime));
    EXPECT_TRUE(converter->isDropTarget());
    EXPECT_TRUE(converter->dropMotion()->isRunning());
    EXPECT_EQ(converter->dropMotion()->duration(), BrivelloTheme::kMotionFeedbackMs);
    drop(converter, &mime);
    EXPECT_FALSE(converter->isDropTarget());
    EXPECT_EQ(store().activeTab(), Tab::converter);
    EXPECT_TRUE(spinUntil([this] { return store().conversionItems().size() == 1; }));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    EXPECT_FALSE(dragEnter(converter, &text));
}

TEST_F(ShellFixture, SidebarRowsFadeHoverAndSelectionAndJumpWithReducedMotion)
{
    SidebarSectionButton *playlist = window().sidebar()->sectionButton(Tab::playlist);
    SidebarSectionButton *analysis = window().sidebar()->sectionButton(Tab::analysis);
    ASSERT_TRUE(playlist->isSelected());
    EXPECT_EQ(playlist->selectionMotion()->value(), 1);
    EXPECT_EQ(analysis->selectionMotion()->value(), 0);

    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(analysis, &enter);
    EXPECT_TRUE(analysis->hoverMotion()->isRunning());
    EXPECT_EQ(analysis->hoverMotion()->duration(), 140);
    EXPECT_EQ(analysis->hoverMotion()->easing(), QEasingCurve::OutCubic);
    analysis->hoverMotion()->finish();

    // The title's weight and colour move between the two rows: one fades out, one fades in.
    window().controller().activateTab(Tab::analysis);
    for (SidebarSectionButton *row : {playlist, analysis}) {
        MotionValue *selection = row->selectionMotion();
        EXPECT_TRUE(selection->isRunning());
        EXPECT_EQ(selection->duration(), 200);
        EXPECT_EQ(selection->easing(), QEasingCurve::InOutQuad);
    }
    EXPECT_TRUE(analysis->selectionMotion()->target());
    EXPECT_FALSE(analysis->isHovering()) << "the selected row keeps no hover";
    EXPECT_FALSE(analysis->hoverMotion()->target());
    analysis->selectionMotion()->finish();
    playlist->selectionMotion()->finish();
    EXPECT_EQ(analysis->selectionMotion()->value(), 1);
    EXPECT_EQ(playlist->selectionMotion()->value(), 0);

    ShellEvents::instance().setReduceMotion(true);
    window().controller().activateTab(Tab::playlist);
    EXPECT_FALSE(playlist->selectionMotion()->isRunning());
    EXPECT_EQ(playlist->selectionMotion()->value(), 1);
    EXPECT_EQ(analysis->selectionMotion()->value(), 0);

    // The content area's drop highlight is a fade only: it eases even with reduced motion.
    QMimeData mime;
    mime.setUrls({touch(QStringLiteral("drop/Faded.mp3"))});
    ContentArea *content = window().contentArea();
    ASSERT_TRUE(dragEnter(content, &mime));
    EXPECT_TRUE(content->dropHighlightMotion()->isRunning());
    EXPECT_LT(content->dropHighlightMotion()->value(), 1);
    content->dropHighlightMotion()->finish();
    EXPECT_EQ(content->dropHighlightMotion()->value(), 1);
    // A sidebar row's drop highlight still jumps then.
    SidebarSectionButton *converter = window().sidebar()->sectionButton(Tab::converter);
    ASSERT_TRUE(dragEnter(converter, &mime));
    EXPECT_FALSE(converter->dropMotion()->isRunning());
    EXPECT_EQ(converter->dropMotion()->value(), 1);
}

TEST_F(ShellFixture, ContentAreaTakesFileDropsOnlyWhileThePlaylistIsShown)
{
    QList<QUrl> received;
    ContentArea *content = window().contentArea();
    content->setPlaylistDropHandler([&received](const QList<QUrl> &urls) { received = urls; });
    QMimeData mime;
    mime.setUrls({touch(QStringLiteral("drop/Two.mp3"))});
    dragEnter(content, &mime);
    EXPECT_TRUE(content->isDropHighlighted());
    EXPECT_TRUE(content->dropHighlightMotion()->target());
    EXPECT_EQ(content->dropHighlightMotion()->duration(), BrivelloTheme::kMotionStateMs);
    // The section's view ends on the panel's curve, antialiased, not on a pixel mask.
    EXPECT_TRUE(qobject_cast<RoundedClipEffect *>(content->currentView()->graphicsEffect()));
    EXPECT_TRUE(content->currentView()->mask().isEmpty());
    drop(content, &mime);
    EXPECT_FALSE(content->isDropHighlighted());
    EXPECT_EQ(received, mime.urls());

    window().controller().activateTab(Tab::analysis);
    EXPECT_FALSE(dragEnter(content, &mime));
    EXPECT_FALSE(content->isDropHighlighted());
}

TEST_F(ShellFixture, TheScreenShowsTheSectionsRoundedCornersAsAFullDrawingDoes)
{
    ShellEvents::instance().setReduceMotion(true);
    store().setTracks(makeTracks(60, true));
    window().controller().activateTab(Tab::playlist);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    ContentArea *content = window().contentArea();
    QWidget *view = content->currentView();
    const QRect area(content->mapTo(&window(), QPoint()), content->size());
    const int r = int(ContentArea::kRadius) + 2;
    const QList<QRect> corners{QRect(area.topLeft(), QSize(r, r)),
                               QRect(area.right() - r + 1, area.top(), r, r),
                               QRect(area.left(), area.bottom() - r + 1, r, r),
                               QRect(area.right() - r + 1, area.bottom() - r + 1, r, r)};
    const auto sameCorners = [&](const QImage &shown, const QImage &drawn) {
        for (const QRect &corner : corners) {
            for (int y = corner.top(); y <= corner.bottom(); ++y) {
                for (int x = corner.left(); x <= corner.right(); ++x) {
                    const QRgb p = shown.pixel(x, y), q = drawn.pixel(x, y);
                    if (std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                        std::abs(qBlue(p) - qBlue(q)) > 2)
                        return ::testing::AssertionFailure() << "pixel " << x << "," << y;
                }
            }
        }
        return ::testing::AssertionSuccess();
    };
    for (const char *appearance : {"dark", "light"}) {
        Defaults::standard().set("appAppearance", QString::fromLatin1(appearance));
        const QImage drawn = settledGrab();
        // The offscreen screen hands back the window's backing store: the frames as painted.
        const auto shown = [&] {
            QCoreApplication::processEvents();
            return QGuiApplication::primaryScreen()->grabWindow(window().winId()).toImage();
        };
        EXPECT_TRUE(sameCorners(shown(), drawn)) << appearance << ", whole window";
        // Frames that repaint only part of a corner, or the section under all four.
        for (const QRect &corner : corners) {
            view->update(QRect(view->mapFrom(&window(), corner.center()), QSize(6, 6)));
            EXPECT_TRUE(sameCorners(shown(), drawn)) << appearance << ", part of a corner";
        }
        view->update();
        const QImage frame = shown();
        EXPECT_TRUE(sameCorners(frame, drawn)) << appearance << ", whole section";
        // Outside the curve the canvas shows.
        EXPECT_LT(std::abs(frame.pixelColor(area.topLeft()).lightness() -
                           frame.pixelColor(area.topLeft() - QPoint(4, 4)).lightness()),
                  3);
        saveScreenshot(QStringLiteral("rounded-corners-%1.png").arg(QLatin1String(appearance)),
                       frame);
    }
}

} // namespace
} // namespace brivello
