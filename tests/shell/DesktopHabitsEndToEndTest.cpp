#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "settings/ContextualHintState.h"
#include "settings/ui/SettingsSheet.h"
#include "shell/AppearanceCrossfade.h"
#include "shell/ContentArea.h"
#include "shell/ContextualHint.h"
#include "shell/HintOverlay.h"
#include "shell/PlaylistView.h"
#include "shell/ShellEvents.h"
#include "shell/TrackRowDelegate.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/FileRowList.h"

#include <QAnimationDriver>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUndoStack>
#include <optional>

namespace brivello {
namespace {

// Animation time that moves only when the test steps it: a short animation is seen at every
// stage however late a busy machine runs the animation timer.
class SteppedAnimationTime : public QAnimationDriver
{
public:
    SteppedAnimationTime() { install(); }
    ~SteppedAnimationTime() override { uninstall(); }
    qint64 elapsed() const override { return m_elapsed; }
    // Moves the running animations on, then lets the ones started meanwhile join them.
    void step(int ms = 10)
    {
        m_elapsed += ms;
        advance();
        QCoreApplication::processEvents();
    }

protected:
    void start() override
    {
        m_elapsed = 0; // counted from each start, as the timer's own driver does
        QAnimationDriver::start();
    }

private:
    qint64 m_elapsed = 0;
};

// Steps `time` until the heart's effect is over: the highest scale it reached, or nothing when
// it outlasts ten seconds of animation.
std::optional<qreal>
highestHeartScale(SteppedAnimationTime &time, const TrackRowDelegate &delegate, const QUuid &id)
{
    qreal highest = 1;
    for (int steps = 0; steps < 1000; ++steps) {
        time.step();
        highest = std::max(highest, delegate.heartEffect(id).first);
        if (!delegate.hasHeartEffect(id))
            return highest;
    }
    return std::nullopt;
}

// What a Linux desktop user reaches for in the real window: redo, Ctrl+, the cleaner's hotkey
// in every section, the language picker, hints that go away, and the desktop's motion setting.
class DesktopHabitsEndToEndTest : public testing::EndToEndFixture
{
protected:
    ContextualHint *hintTitled(const QString &title)
    {
        for (ContextualHint *hint : window().findChildren<ContextualHint *>()) {
            if (hint->title() == title)
                return hint;
        }
        return nullptr;
    }

    VirtualScheduler m_time;
};

TEST_F(DesktopHabitsEndToEndTest, CleanHotkeyCleansTheSelectedQueueItemInTheConverter)
{
    const QString file = makeAudio(QStringLiteral("clean/Artist - Song.flac"),
                                   1.0,
                                   {QStringLiteral("-metadata"),
                                    QStringLiteral("album=Promo Only"),
                                    QStringLiteral("-metadata"),
                                    QStringLiteral("title=Song (www.promo.example)")});
    ASSERT_EQ(importAndWait(urls({file})).size(), 1);
    ASSERT_EQ(tag(file, "album"), "Promo Only");
    queueForConversion(urls({file}));
    ASSERT_TRUE(clickSectionButton(Tab::converter));
    auto *list = window().contentArea()->currentView()->findChild<FileRowList *>();
    ASSERT_TRUE(list);
    clickAt(list->viewport(), list->rowRect(0).center());
    ASSERT_EQ(store().converterSelectedItemIDs().size(), 1);

    pressKey(Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(waitForTag(file, "album", QString()));
    EXPECT_EQ(tag(file, "artist"), "Artist");
    EXPECT_EQ(store().activeTab(), Tab::converter);
}

TEST_F(DesktopHabitsEndToEndTest, RedoReappliesAnUndoneGenreEditOnDiskUntilANewEdit)
{
    const QString file = makeAudio(QStringLiteral("redo/One.flac"),
                                   1.0,
                                   {QStringLiteral("-metadata"), QStringLiteral("genre=House")});
    const QList<QUuid> ids = importAndWait(urls({file}));
    ASSERT_EQ(ids.size(), 1);
    store().favorites().addToFavorites({ids.first()});
    store().genreEditing().setQuickGenre(QStringLiteral("Techno"), 0);
    store().genreEditing().setQuickGenre(QStringLiteral("Disco"), 1);
    ASSERT_TRUE(clickSectionButton(Tab::favorites));
    store().setSelectedIDs({ids.first()});
    store().setSelectedID(ids.first());

    // Quick genre, undo, both redo keys; a new edit after an undo leaves nothing to redo.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *genre;
    } steps[] = {{Qt::Key_1, {}, "Techno"},
                 {Qt::Key_Z, ctrl, "House"},
                 {Qt::Key_Z, ctrl | Qt::ShiftModifier, "Techno"},
                 {Qt::Key_Z, ctrl, "House"},
                 {Qt::Key_Y, ctrl, "Techno"},
                 {Qt::Key_Z, ctrl, "House"},
                 {Qt::Key_2, {}, "Disco"}};
    for (const auto &step : steps) {
        pressKey(step.key, step.modifiers);
        ASSERT_TRUE(waitForTag(file, "genre", step.genre)) << step.genre;
    }
    EXPECT_FALSE(window().undoStack()->canRedo());
    pressKey(Qt::Key_Y, Qt::ControlModifier);
    settle(300);
    EXPECT_EQ(tag(file, "genre"), "Disco");
}

TEST_F(DesktopHabitsEndToEndTest, CtrlCommaOpensTheSettingsSheetWhoseLanguagePickerShowsTheLanguage)
{
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    pressKey(Qt::Key_Comma, Qt::ControlModifier);
    SettingsSheet *sheet = visibleWidget<SettingsSheet>();
    ASSERT_TRUE(sheet) << "Ctrl+, opened no settings sheet";
    sheet->selectSettingsSection(SettingsSheet::SettingsSection::language);
    const auto segment = [sheet](const char *name) {
        return sheet->page()->findChild<QPushButton *>(QLatin1String(name));
    };
    const auto fill = [](QPushButton *button) {
        return button->grab().toImage().pixelColor(6, button->height() / 2);
    };
    // From the stored value: English is the selected segment, drawn apart from Russian.
    ASSERT_TRUE(segment("en") && segment("ru"));
    EXPECT_TRUE(segment("en")->isChecked());
    EXPECT_FALSE(segment("ru")->isChecked());
    EXPECT_NE(fill(segment("en")), fill(segment("ru")));

    QTest::mouseClick(segment("ru"), Qt::LeftButton);
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("appLanguage")), "ru");
    settle();
    EXPECT_TRUE(segment("ru")->isChecked());
    EXPECT_FALSE(segment("en")->isChecked());
    const QColor selected = fill(segment("ru"));
    EXPECT_NE(selected, fill(segment("en")));

    // Changed elsewhere while the sheet is open: the picker follows.
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    settle();
    EXPECT_TRUE(segment("en")->isChecked());
    EXPECT_FALSE(segment("ru")->isChecked());
    EXPECT_EQ(fill(segment("en")), selected);
    sheet->reject();
}

TEST_F(DesktopHabitsEndToEndTest, AHintClosesWhenThePointerLeavesAndWhenAFileDialogComesAndGoes)
{
    restartAppOn(m_time);
    ContextualHint *hint = hintTitled(QStringLiteral("Добавить файлы"));
    ASSERT_TRUE(hint);
    QWidget *control = hint->control();
    ContextualHintState &state = *hint->state();
    QCursor::setPos(window().mapToGlobal(QPoint(2, 2)));
    const auto send = [control](QEvent::Type type) {
        QEvent event(type);
        QCoreApplication::sendEvent(control, &event);
    };

    send(QEvent::Enter);
    m_time.advance(2.9);
    EXPECT_FALSE(state.isPresented());
    m_time.advance(0.1);
    ASSERT_TRUE(state.isPresented());
    send(QEvent::Leave);
    EXPECT_FALSE(state.isPresented()) << "the hint stayed after the pointer left";
    EXPECT_FALSE(HintOverlay::forWindow(&window())->isVisible());

    send(QEvent::Enter);
    m_time.advance(3.0);
    ASSERT_TRUE(state.isPresented());
    app().addFilesAction()->trigger();
    settle();
    QFileDialog *dialog = window().findChild<QFileDialog *>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_FALSE(state.isPresented()) << "the hint stayed over the file dialog";

    // The dialog goes; the pointer "enters" the button again without moving.
    dialog->reject();
    settle();
    send(QEvent::Enter);
    m_time.advance(3.0);
    EXPECT_FALSE(state.isPresented()) << "the hint came back after the file dialog";
    QHoverEvent move(QEvent::HoverMove, QPointF(5, 5), QPointF(4, 5), QPointF(4, 5));
    QCoreApplication::sendEvent(control, &move);
    m_time.advance(3.0);
    EXPECT_TRUE(state.isPresented());

    // A pop-up over the window closes it as well.
    QMenu menu(&window());
    menu.addAction(QStringLiteral("x"));
    menu.popup(window().mapToGlobal(QPoint(400, 400)));
    EXPECT_FALSE(state.isPresented());
    menu.close();
}

TEST_F(DesktopHabitsEndToEndTest, TheHeartBouncesAndTheAppearanceFadesUnlessMotionIsReduced)
{
    const QList<QUuid> ids = importAndWait(urls({makeAudio(QStringLiteral("bounce/One.mp3"))}));
    ASSERT_EQ(ids.size(), 1);
    auto *view = window().contentArea()->currentView()->findChild<PlaylistView *>();
    ASSERT_TRUE(view);
    view->layOutRows();
    const QPoint heart =
        TrackRowDelegate::geometry(view->elementRect(0), true, view->rowDelegate()->density())
            .heart.center();
    TrackRowDelegate &delegate = *view->rowDelegate();

    {
        SteppedAnimationTime time;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, heart);
        ASSERT_TRUE(spinUntil([&] { return store().tracks().first().isFavorite; }));
        ASSERT_TRUE(delegate.hasHeartEffect(ids.first())) << "the new favourite did not bounce";
        const std::optional<qreal> highest = highestHeartScale(time, delegate, ids.first());
        ASSERT_TRUE(highest) << "the heart never stopped bouncing";
        EXPECT_GT(*highest, 1.05);
    }

    // The window's light and dark looks cross-fade: at first the old look is still shown.
    Defaults::standard().set(QStringLiteral("appAppearance"), QStringLiteral("light"));
    auto *fade = window().findChild<AppearanceCrossfade *>();
    ASSERT_TRUE(fade);
    EXPECT_LT(window().grab().toImage().pixelColor(8, 450).lightness(), 128);
    EXPECT_EQ(fade->animation()->duration(), 360);
    EXPECT_TRUE(spinUntil([this] { return !window().findChild<AppearanceCrossfade *>(); }));
    EXPECT_GT(window().grab().toImage().pixelColor(8, 450).lightness(), 128);

    // The stored setting asks for reduced motion: no bounce, no fade.
    ShellEvents::instance().setReduceMotion(std::nullopt);
    Defaults::standard().set(ShellEvents::kReduceMotionKey, true);
    ASSERT_TRUE(ShellEvents::instance().reduceMotion());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, heart);
    ASSERT_TRUE(spinUntil([&] { return !store().tracks().first().isFavorite; }));
    EXPECT_FALSE(delegate.hasHeartEffect(ids.first()));
    Defaults::standard().set(QStringLiteral("appAppearance"), QStringLiteral("dark"));
    EXPECT_FALSE(window().findChild<AppearanceCrossfade *>());
}

TEST_F(DesktopHabitsEndToEndTest, TheHeartBouncesWhenItsClickRemovesTheFavouriteToo)
{
    ShellEvents::instance().setReduceMotion(false);
    const QList<QUuid> ids = importAndWait(urls({makeAudio(QStringLiteral("bounce/Two.mp3"))}));
    ASSERT_EQ(ids.size(), 1);
    store().favorites().toggleFavorites({ids.first()}, nullptr);
    auto *view = window().contentArea()->currentView()->findChild<PlaylistView *>();
    ASSERT_TRUE(view);
    view->layOutRows();
    TrackRowDelegate &delegate = *view->rowDelegate();
    ASSERT_TRUE(spinUntil([&] { return !delegate.hasHeartEffect(ids.first()); }))
        << "the favourite's own bounce never ended";
    const QPoint heart =
        TrackRowDelegate::geometry(view->elementRect(0), true, delegate.density()).heart.center();

    // The heart shrinks and fades, the favourite goes, and the heart bounces as it springs back.
    SteppedAnimationTime time;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, heart);
    ASSERT_TRUE(spinUntil([&] {
        time.step();
        return !store().tracks().first().isFavorite;
    }));
    EXPECT_TRUE(delegate.isHeartBouncing(ids.first())) << "the removed favourite did not bounce";
    const std::optional<qreal> highest = highestHeartScale(time, delegate, ids.first());
    ASSERT_TRUE(highest) << "the heart never stopped bouncing";
    EXPECT_GT(*highest, 1.05);
}

TEST_F(DesktopHabitsEndToEndTest, ReducedMotionFollowsTheDesktopsAnimationSettings)
{
    ShellEvents &events = ShellEvents::instance();
    events.setReduceMotion(std::nullopt);
    // A stand-in for GNOME's gsettings first on the path; KDE's file in the config folder.
    const QString bin = path(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const auto gnomeSays = [&bin](const char *answer) {
        QFile script(bin + QStringLiteral("/gsettings"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(QByteArray("#!/bin/sh\necho ") + answer + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + oldPath);
    const QString kde = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/kdeglobals");
    const auto kdeSays = [&kde](const char *factor) {
        QFile file(kde);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("[General]\nColorScheme=Breeze\n\n[KDE]\nAnimationDurationFactor=") +
                   factor + "\n");
    };

    // GNOME's animations off, then KDE's instant animations, then KDE's slow ones.
    const struct
    {
        const char *gnome;
        const char *kde;
        bool reduced;
    } desktops[] = {{"true", nullptr, false},
                    {"false", nullptr, true},
                    {"true", "0", true},
                    {"true", "0.5", false}};
    for (const auto &desktop : desktops) {
        gnomeSays(desktop.gnome);
        if (desktop.kde)
            kdeSays(desktop.kde);
        events.refreshDesktopMotion();
        ASSERT_TRUE(spinUntil([&events] { return !events.isReadingDesktopMotion(); }));
        EXPECT_EQ(events.reduceMotion(), desktop.reduced) << desktop.gnome << " " << desktop.kde;
    }

    // The desktop allows motion, the stored setting still reduces it.
    Defaults::standard().set(ShellEvents::kReduceMotionKey, true);
    EXPECT_TRUE(events.reduceMotion());
    Defaults::standard().set(ShellEvents::kReduceMotionKey, false);

    QFile::remove(kde);
    qputenv("PATH", oldPath);
    events.refreshDesktopMotion();
    EXPECT_TRUE(spinUntil([&events] { return !events.isReadingDesktopMotion(); }));
    events.setReduceMotion(false);
}

} // namespace
} // namespace brivello
