#include "SettingsViewFixture.h"
#include "settings/UpdateManager.h"
#include "settings/ui/UpdateAvailableSheet.h"
#include "settings/ui/UpdateBanner.h"
#include "settings/ui/UpdatesGroup.h"
#include "shell/ActionButton.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>

namespace brivello {
namespace {

using State = UpdateManager::State;

UpdateManager::Release release(const QString &notes)
{
    return {QStringLiteral("2.4.1"),
            57,
            QUrl(QStringLiteral("https://example.org/brivello.deb")),
            notes,
            QStringLiteral("2026-12-01")};
}

class UpdateViewsTest : public SettingsViewFixture
{
protected:
    void SetUp() override
    {
        SettingsViewFixture::SetUp();
        m_updates.setOpener([this](const QUrl &url) { m_opened.append(url); });
    }

    UpdateManager m_updates;
    QList<QUrl> m_opened;
};

TEST_F(UpdateViewsTest, SheetShowsTrimmedNotesOrTheFallback)
{
    const struct
    {
        QString notes;
        QString shown;
    } cases[] = {
        {QStringLiteral("  Быстрее импорт\n\n"), QStringLiteral("Быстрее импорт")},
        {QStringLiteral(" \n\t "), QStringLiteral("Описание обновления пока не добавлено.")},
        {QString(), QStringLiteral("Описание обновления пока не добавлено.")},
    };
    for (const auto &c : cases) {
        UpdateAvailableSheet sheet(release(c.notes), QStringLiteral("1.0"), {});
        EXPECT_EQ(sheet.size(), QSize(560, 390));
        EXPECT_EQ(sheet.notesView()->toPlainText(), c.shown);
        EXPECT_TRUE(sheet.notesView()->textInteractionFlags() & Qt::TextSelectableByMouse);
        EXPECT_LE(sheet.notesView()->maximumHeight(), 240);
    }
}

TEST_F(UpdateViewsTest, SheetButtonsCloseAndOnlyDownloadRunsTheAction)
{
    int downloads = 0;
    UpdateAvailableSheet later(release({}), QStringLiteral("1.0"), [&downloads] { ++downloads; });
    later.show();
    QTest::mouseClick(later.laterButton(), Qt::LeftButton);
    EXPECT_EQ(later.result(), QDialog::Rejected);
    EXPECT_FALSE(later.isVisible());
    EXPECT_EQ(downloads, 0);

    UpdateAvailableSheet download(
        release({}), QStringLiteral("1.0"), [&downloads] { ++downloads; });
    download.show();
    QTest::mouseClick(download.downloadButton(), Qt::LeftButton);
    EXPECT_EQ(download.result(), QDialog::Accepted);
    EXPECT_EQ(downloads, 1);
}

TEST_F(UpdateViewsTest, SheetIsDrawnInBothLanguages)
{
    const QString longNotes = QStringLiteral("• Быстрее импорт папок\n• Исправлена запись тегов "
                                             "AIFF\n• Новый экран настроек\n• Горячие клавиши "
                                             "записываются нажатием");
    const QString englishNotes = QStringLiteral("• Faster folder import\n• AIFF tag writing fixed\n"
                                                "• A new settings sheet\n• Hotkeys are recorded "
                                                "by pressing them");
    for (const QString &language : {QStringLiteral("ru"), QStringLiteral("en")}) {
        setLanguage(language);
        const QString notes = language == QLatin1String("en") ? englishNotes : longNotes;
        UpdateAvailableSheet sheet(release(notes), QStringLiteral("1.0"), {});
        sheet.show();
        QCoreApplication::processEvents();
        const QImage image = sheet.grab().toImage();
        ASSERT_EQ(image.size(), QSize(560, 390) * image.devicePixelRatio());
        // The download button sits at the bottom right, inside the 26 pt margins.
        const QRect button = sheet.downloadButton()->geometry();
        EXPECT_EQ(button.right(), 560 - 26 - 1);
        EXPECT_EQ(button.bottom(), 390 - 26 - 1);
        EXPECT_NE(image.pixelColor(button.center()), image.pixelColor(QPoint(5, 5)));
        saveScreenshot(QStringLiteral("update-sheet-%1.png").arg(language), image);
    }
    setLanguage(QStringLiteral("en"));
    UpdateAvailableSheet sheet(release({}), QStringLiteral("1.0"), {});
    EXPECT_EQ(sheet.notesView()->toPlainText(), "No description for this update yet.");
    EXPECT_EQ(sheet.downloadButton()->text(), "Download update");
}

TEST_F(UpdateViewsTest, BannerFollowsTheAvailableRelease)
{
    UpdateBanner banner(m_updates);
    EXPECT_TRUE(banner.isHidden());
    m_updates.setState(State::available, release(QStringLiteral("  ")));
    EXPECT_FALSE(banner.isHidden());
    EXPECT_EQ(banner.titleLabel()->text(), "Доступна новая версия 2.4.1");
    // Only empty notes are replaced in the banner.
    EXPECT_EQ(UpdateBanner::notesText(QStringLiteral("  ")), "  ");
    EXPECT_EQ(UpdateBanner::notesText({}),
              "Скачайте пакет и установите обновление поверх текущей версии.");
    QTest::mouseClick(banner.downloadButton(), Qt::LeftButton);
    EXPECT_EQ(m_opened.size(), 1);

    m_updates.setState(State::checking);
    EXPECT_TRUE(banner.isHidden());
    QTest::mouseClick(banner.downloadButton(), Qt::LeftButton);
    EXPECT_EQ(m_opened.size(), 1);
}

TEST_F(UpdateViewsTest, BannerCutsLongNotesAfterTwoLines)
{
    UpdateBanner banner(m_updates);
    banner.resize(500, 80);
    m_updates.setState(
        State::available,
        release(QString(400, QLatin1Char('a')).replace(QRegularExpression("(a{9})"), "\\1 ")));
    banner.show();
    QCoreApplication::processEvents();
    const QString shown = banner.notesLabel()->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LT(shown.size(), 400);
}

TEST_F(UpdateViewsTest, UpdatesGroupControlFollowsTheState)
{
    UpdatesGroup group(m_updates);
    group.show();
    auto visible = [&group]() {
        QStringList shown;
        if (group.progress()->isVisibleTo(&group))
            shown << "progress";
        if (group.upToDateLabel()->isVisibleTo(&group))
            shown << "upToDate";
        if (group.checkButton()->isVisibleTo(&group))
            shown << "check";
        if (group.downloadButton()->isVisibleTo(&group))
            shown << "download";
        return shown.join(',');
    };
    EXPECT_EQ(visible(), "check");
    m_updates.setState(State::upToDate);
    EXPECT_EQ(visible(), "upToDate");
    EXPECT_FALSE(group.footnote()->isVisibleTo(&group));
    m_updates.setState(State::available, release(QStringLiteral("Заметки")));
    EXPECT_EQ(visible(), "download");
    EXPECT_EQ(group.downloadButton()->text(), "Скачать 2.4.1");
    EXPECT_EQ(group.footnote()->text(), "Заметки");
    QTest::mouseClick(group.downloadButton(), Qt::LeftButton);
    EXPECT_EQ(m_opened.size(), 1);
    m_updates.setState(State::failed);
    EXPECT_EQ(visible(), "check");
    EXPECT_EQ(group.footnote()->text(), "Проверка обновлений недоступна.");

    setLanguage(QStringLiteral("en"));
    m_updates.setState(State::available, release({}));
    EXPECT_EQ(group.downloadButton()->text(), "Download 2.4.1");
}

TEST_F(UpdateViewsTest, CheckButtonShowsProgressAtOnceThenTheFailure)
{
    m_updates.setManifestURL(QUrl(QStringLiteral("http://127.0.0.1:1/latest.json")));
    UpdatesGroup group(m_updates);
    group.show();
    QTest::mouseClick(group.checkButton(), Qt::LeftButton);
    EXPECT_TRUE(group.progress()->isVisibleTo(&group));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_updates.state() == State::failed; }, 10000));
    EXPECT_TRUE(group.checkButton()->isVisibleTo(&group));
    EXPECT_EQ(group.footnote()->text(), "Не удалось проверить обновления.");
}

} // namespace
} // namespace brivello
