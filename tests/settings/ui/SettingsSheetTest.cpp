#include "settings/ui/SettingsSheet.h"

#include "SettingsViewFixture.h"
#include "library/GenreEditing.h"
#include "library/LibraryStore.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "settings/UpdateManager.h"
#include "settings/ui/HotkeyRecorderView.h"
#include "settings/ui/SettingsGenreEditor.h"
#include "settings/ui/SettingsInputFrame.h"
#include "settings/ui/SettingsSections.h"
#include "settings/ui/SettingsSidebarEntry.h"
#include "settings/ui/UpdateBanner.h"
#include "shell/ActionButton.h"
#include "shell/MotionValue.h"
#include "shell/ShellEvents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QVariantAnimation>
#include <cmath>

namespace brivello {
namespace {

using Section = SettingsSheet::SettingsSection;

class SettingsSheetTest : public SettingsViewFixture
{
protected:
    void SetUp() override
    {
        SettingsViewFixture::SetUp();
        m_store = std::make_unique<LibraryStore>(Defaults::standard());
        NotificationCenter::defaultCenter().observe(
            brivelloGenresDidChange, nullptr, &m_receiver, [this](const Notification &) {
                ++m_genreAnnouncements;
            });
    }
    void TearDown() override
    {
        m_sheet.reset();
        m_store.reset();
        SettingsViewFixture::TearDown();
    }
    SettingsSheet &open()
    {
        m_sheet = std::make_unique<SettingsSheet>(*m_store, m_updates);
        m_sheet->show();
        m_sheet->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
        return *m_sheet;
    }
    template <typename T> T *find(const QString &name = {}) const
    {
        return m_sheet->page()->findChild<T *>(name);
    }

    UpdateManager m_updates;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<SettingsSheet> m_sheet;
    QObject m_receiver;
    int m_genreAnnouncements = 0;
};

TEST_F(SettingsSheetTest, SectionsAreListedInOrderAndNamedByRawValue)
{
    QStringList raws;
    for (Section section : SettingsSheet::allSections()) {
        raws << SettingsSheet::rawValue(section);
        EXPECT_EQ(SettingsSheet::sectionFromRawValue(raws.last()), section);
    }
    EXPECT_EQ(raws.join(','), "player,genres,analysis,tables,hotkeys,cleaner,language");
    EXPECT_FALSE(SettingsSheet::sectionFromRawValue(QStringLiteral("Player")));
    EXPECT_FALSE(SettingsSheet::sectionFromRawValue(QString()));
}

TEST_F(SettingsSheetTest, EveryOpeningStartsAtThePlayerAndSwitchingReplacesThePage)
{
    SettingsSheet &sheet = open();
    EXPECT_EQ(sheet.size(), QSize(820, 620));
    EXPECT_EQ(sheet.selectedSection(), Section::player);
    QPointer<QWidget> first = sheet.page();
    sheet.selectSettingsSection(Section::cleaner);
    EXPECT_NE(sheet.page(), first.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(sheet.sectionHint(),
              "Очистка запускается кнопкой «Очистить выбранные» во вкладке «Избранное».");
    EXPECT_TRUE(sheet.sidebarEntries()[5]->isChecked());
    EXPECT_EQ(open().selectedSection(), Section::player);
}

TEST_F(SettingsSheetTest, SwitchingDropsFocusAndEditingAfterTheSwitch)
{
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::cleaner);
    QLineEdit *field = find<QLineEdit>();
    field->setFocus();
    m_store->setIsEditingMetadata(true);
    sheet.selectSettingsSection(Section::cleaner);
    EXPECT_TRUE(field->hasFocus());
    QCoreApplication::processEvents();
    EXPECT_FALSE(field->hasFocus());
    EXPECT_FALSE(m_store->isEditingMetadata());

    // A click on the empty area below the section ends editing too.
    field->setFocus();
    m_store->setIsEditingMetadata(true);
    QWidget *content = sheet.page()->parentWidget();
    QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(10, sheet.page()->height() + 20));
    EXPECT_FALSE(field->hasFocus());
    EXPECT_FALSE(m_store->isEditingMetadata());
}

TEST_F(SettingsSheetTest, DoneEscapeAndCloseAllNormaliseAndAnnounceGenres)
{
    const QList<std::function<void(SettingsSheet &)>> closers = {
        [](SettingsSheet &sheet) { QTest::mouseClick(sheet.doneButton(), Qt::LeftButton); },
        [](SettingsSheet &sheet) { QTest::keyClick(&sheet, Qt::Key_Escape); },
        [](SettingsSheet &sheet) { sheet.close(); },
    };
    int expected = 0;
    for (const auto &close : closers) {
        Defaults::standard().set(QStringLiteral("genreList"), QStringLiteral(" House ,,Techno\n"));
        SettingsSheet &sheet = open();
        close(sheet);
        EXPECT_FALSE(sheet.isVisible());
        EXPECT_EQ(m_genreAnnouncements, ++expected);
        EXPECT_NE(Defaults::standard().string(QStringLiteral("genreList")), " House ,,Techno\n");
    }
}

TEST_F(SettingsSheetTest, NumberLabelsTruncateRoundAndSurviveBadValues)
{
    EXPECT_EQ(SettingsSections::seekStepText(15), "Перемотка: 15 секунд");
    EXPECT_EQ(SettingsSections::seekStepText(NAN), "Перемотка: 15 секунд");
    EXPECT_EQ(SettingsSections::seekStepText(1e9), "Перемотка: 60 секунд");
    EXPECT_EQ(SettingsSections::densityRangeText(100), "\u2212100 dB");
    EXPECT_EQ(SettingsSections::densityRangeText(-INFINITY), "\u2212100 dB");
    EXPECT_EQ(SettingsSections::tableScaleText(1.0), "100%");
    EXPECT_EQ(SettingsSections::tableScaleText(0.999), "99%");
    EXPECT_EQ(SettingsSections::tableScaleText(0.85 + 6 * 0.05), "115%");
    EXPECT_EQ(SettingsSections::colorComponentText(0.5), 128);
    EXPECT_EQ(SettingsSections::colorComponentText(1.0), 255);
    EXPECT_EQ(SettingsSections::colorComponentText(NAN), 255);
    setLanguage(QStringLiteral("en"));
    EXPECT_EQ(SettingsSections::seekStepText(20), "Seek step: 20 seconds");
}

TEST_F(SettingsSheetTest, PlayerControlsWriteAtOnceAndShowTheCustomBlock)
{
    Defaults::standard().set(QStringLiteral("seekStep"), NAN);
    Defaults::standard().set(QStringLiteral("waveformColorPreset"), QStringLiteral("sepia"));
    open();
    auto *seek = find<QSpinBox>();
    EXPECT_EQ(seek->value(), 15);
    seek->stepUp();
    EXPECT_EQ(Defaults::standard().real(QStringLiteral("seekStep")), 20);
    auto *preset = find<QComboBox>();
    EXPECT_EQ(preset->currentIndex(), -1);
    const QList<QSlider *> sliders = m_sheet->page()->findChildren<QSlider *>();
    ASSERT_EQ(sliders.size(), 3);
    EXPECT_FALSE(sliders[0]->isVisibleTo(m_sheet.get()));
    preset->setCurrentIndex(4);
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("waveformColorPreset")), "custom");
    EXPECT_TRUE(sliders[0]->isVisibleTo(m_sheet.get()));
    sliders[0]->setValue(500);
    EXPECT_DOUBLE_EQ(Defaults::standard().real(QStringLiteral("waveformCustomRed")), 0.5);
    preset->setCurrentIndex(1);
    EXPECT_FALSE(sliders[0]->isVisibleTo(m_sheet.get()));
    EXPECT_DOUBLE_EQ(Defaults::standard().real(QStringLiteral("waveformCustomRed")), 0.5);
}

TEST_F(SettingsSheetTest, GenreEditsFeedTheSlotPickersWithoutOverwritingSlots)
{
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::genres);
    const QString slotsBefore = Defaults::standard().string(QStringLiteral("quickGenreSlots"));
    auto *editor = find<QPlainTextEdit>();
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many << QStringLiteral("Genre %1").arg(i);
    editor->setPlainText(QStringLiteral("Afro House\nTrance, Techno\n") + many.join('\n'));
    EXPECT_TRUE(Defaults::standard().string(QStringLiteral("genreList")).startsWith("Afro House"));
    const QList<QComboBox *> pickers = sheet.page()->findChildren<QComboBox *>();
    ASSERT_EQ(pickers.size(), 9);
    EXPECT_EQ(pickers[0]->count(), 1004);
    EXPECT_EQ(pickers[0]->currentText(), "Afro House");
    EXPECT_EQ(pickers[1]->currentIndex(), -1); // "Afro Tech" is gone from the list
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("quickGenreSlots")), slotsBefore);

    pickers[2]->setCurrentIndex(pickers[2]->findText("Trance"));
    emit pickers[2]->activated(pickers[2]->currentIndex());
    EXPECT_EQ(m_store->genreEditing().quickGenreSlots().value(2), "Trance");
    pickers[0]->setCurrentIndex(0);
    emit pickers[0]->activated(0);
    EXPECT_EQ(m_store->genreEditing().quickGenreSlots().value(0), "");
}

TEST_F(SettingsSheetTest, CleanerTogglesAndFieldsWriteTheirKeys)
{
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::cleaner);
    const QList<QCheckBox *> toggles = sheet.page()->findChildren<QCheckBox *>();
    ASSERT_EQ(toggles.size(), 4);
    toggles[0]->click();
    EXPECT_FALSE(Defaults::standard().boolean(QStringLiteral("cleanerClearTags"), true));
    EXPECT_FALSE(toggles[1]->isEnabled());
    EXPECT_TRUE(toggles[1]->isChecked());
    toggles[3]->click();
    EXPECT_TRUE(Defaults::standard().boolean(QStringLiteral("cleanerCleanFilenames")));
    const QList<QLineEdit *> fields = sheet.page()->findChildren<QLineEdit *>();
    ASSERT_EQ(fields.size(), 2);
    QTest::keyClicks(fields[1], QStringLiteral("[FREE]"));
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("renameFilters")), "[FREE]");
}

TEST_F(SettingsSheetTest, HotkeyRowsRecordIntoTheirKeysAndMayCollide)
{
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::hotkeys);
    const QList<HotkeyRecorderView *> recorders =
        sheet.page()->findChildren<HotkeyRecorderView *>();
    ASSERT_EQ(recorders.size(), 11);
    EXPECT_EQ(recorders[8]->value(), "⌘Z");
    for (HotkeyRecorderView *recorder : {recorders[8], recorders[9]}) {
        QTest::mouseClick(recorder, Qt::LeftButton);
        QTest::keyClick(recorder, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("hotkeyUndo")), "⇧⌘Z");
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("hotkeyClean")), "⇧⌘Z");
    // Escape ends recording and leaves the sheet open.
    QTest::keyClick(recorders[9], Qt::Key_Escape);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(m_genreAnnouncements, 0);
}

TEST_F(SettingsSheetTest, LanguageSwitchRetitlesTheSheetAtOnce)
{
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::language);
    find<QPushButton>(QStringLiteral("en"))->click();
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("appLanguage")), "en");
    QCoreApplication::processEvents();
    EXPECT_EQ(sheet.sidebarEntries()[0]->text(), "Player and waveform");
    EXPECT_EQ(sheet.windowTitle(), "Settings");
    EXPECT_TRUE(find<QPushButton>(QStringLiteral("en"))->isChecked());
    EXPECT_EQ(find<QPushButton>(QStringLiteral("ru"))->text(), "Русский");

    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("de"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(find<QPushButton>(QStringLiteral("ru"))->isChecked());
    EXPECT_FALSE(find<QPushButton>(QStringLiteral("en"))->isChecked());
}

TEST_F(SettingsSheetTest, EachSectionIsDrawn)
{
    m_updates.setState(UpdateManager::State::available,
                       UpdateManager::Release{QStringLiteral("2.4.1"),
                                              57,
                                              QUrl(QStringLiteral("https://example.org/b.deb")),
                                              QStringLiteral("Быстрее импорт папок"),
                                              QString()});
    for (const QString &language : {QStringLiteral("ru"), QStringLiteral("en")}) {
        setLanguage(language);
        SettingsSheet &sheet = open();
        for (Section section : SettingsSheet::allSections()) {
            sheet.selectSettingsSection(section);
            QCoreApplication::processEvents();
            const QImage image = sheet.grab().toImage();
            ASSERT_EQ(image.size(), QSize(820, 620) * image.devicePixelRatio());
            // The banner stands between the header and the body in every section.
            EXPECT_TRUE(sheet.banner()->isVisible());
            EXPECT_LT(sheet.banner()->geometry().bottom(),
                      sheet.sidebarEntries()[0]->mapTo(&sheet, QPoint()).y());
            saveScreenshot(QStringLiteral("settings-%1-%2.png")
                               .arg(SettingsSheet::rawValue(section), language),
                           image);
        }
    }
    SettingsSheet &sheet = *m_sheet;
    m_updates.setState(UpdateManager::State::checking);
    EXPECT_FALSE(sheet.banner()->isVisible());
}

TEST_F(SettingsSheetTest, FocusEasesTheInputLookOverAndBackUnlessMotionIsReduced)
{
    ShellEvents::instance().setReduceMotion(false);
    SettingsSheet &sheet = open();
    sheet.selectSettingsSection(Section::cleaner);
    QCoreApplication::processEvents(); // the new page shows
    const QList<SettingsInputFrame *> frames = sheet.page()->findChildren<SettingsInputFrame *>();
    ASSERT_EQ(frames.size(), 2);
    SettingsInputFrame *first = frames[0];
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor resting = BrivelloTheme::inputFill(scheme, false);
    const QColor focused = BrivelloTheme::inputFill(scheme, true);
    EXPECT_EQ(first->outlineWidth(), 1);
    EXPECT_EQ(first->fillColor(), resting);
    EXPECT_NEAR(first->outlineColor().alphaF(), 0.16, 0.01);

    first->input()->setFocus();
    MotionValue *motion = first->focusMotion();
    ASSERT_TRUE(motion->isRunning());
    EXPECT_EQ(motion->duration(), BrivelloTheme::kMotionFeedbackMs);
    EXPECT_EQ(motion->easing(), QEasingCurve::OutCubic);
    // Halfway through, the look stands between its two ends.
    auto *animation = motion->findChild<QVariantAnimation *>();
    ASSERT_TRUE(animation);
    animation->setCurrentTime(BrivelloTheme::kMotionFeedbackMs / 2);
    EXPECT_GT(first->outlineWidth(), 1);
    EXPECT_LT(first->outlineWidth(), 1.5);
    EXPECT_GT(first->fillColor().alphaF(), resting.alphaF());
    EXPECT_LT(first->fillColor().alphaF(), focused.alphaF());
    motion->finish();
    EXPECT_EQ(first->outlineWidth(), 1.5);
    EXPECT_EQ(first->fillColor(), focused);
    EXPECT_NEAR(first->outlineColor().alphaF(), 0.48, 0.01);

    // The look moves with the focus: out of the first field, into the second.
    frames[1]->input()->setFocus();
    EXPECT_TRUE(first->focusMotion()->isRunning());
    EXPECT_TRUE(frames[1]->focusMotion()->isRunning());
    first->focusMotion()->finish();
    EXPECT_EQ(first->outlineWidth(), 1);

    ShellEvents::instance().setReduceMotion(true);
    first->input()->setFocus();
    EXPECT_FALSE(first->focusMotion()->isRunning());
    EXPECT_EQ(first->outlineWidth(), 1.5);
    EXPECT_EQ(first->fillColor(), focused);
    EXPECT_EQ(frames[1]->outlineWidth(), 1) << "the other field's look jumps back too";
    ShellEvents::instance().setReduceMotion(std::nullopt);
}

TEST_F(SettingsSheetTest, GenreEditorCaretAndSelectionAreBlackInLightAndWhiteInDark)
{
    SettingsSheet &sheet = open();
    for (const QString &appearance : {QStringLiteral("light"), QStringLiteral("dark")}) {
        setAppearance(appearance); // the open sheet follows
        QCoreApplication::processEvents();
        sheet.selectSettingsSection(Section::genres);
        QCoreApplication::processEvents();
        auto *editor = find<SettingsGenreEditor>();
        ASSERT_TRUE(editor);
        const QColor tint = appearance == "light" ? QColor(Qt::black) : QColor(Qt::white);
        EXPECT_EQ(editor->palette().color(QPalette::Highlight).rgb(), tint.rgb())
            << appearance.toStdString();
        EXPECT_EQ(editor->palette().color(QPalette::HighlightedText),
                  BrivelloTheme::palette(ShellEvents::instance().scheme()).color(QPalette::Text));

        editor->setPlainText(QStringLiteral("House\n"));
        editor->setFocus();
        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier); // onto the empty last line
        const QRect caret = editor->cursorRect();
        const QImage image = editor->viewport()->grab().toImage();
        EXPECT_EQ(image.pixelColor(caret.left(), caret.center().y()).rgb(), tint.rgb())
            << appearance.toStdString();
    }
}

} // namespace
} // namespace brivello
