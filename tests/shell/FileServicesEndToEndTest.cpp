// Files named in CP1251 bytes through the real window, and the status lines and notices that
// removals from the covers and analysis sections give.
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableGestures.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "platform/LocalFile.h"
#include "shell/OpenPanels.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <cstdio>

namespace brivello {

namespace {

using test::TestAudioFiles;

// "Песня" in CP1251, as names copied from old Windows drives hold it: not valid UTF-8.
const QByteArray kSong = "\xcf\xe5\xf1\xed\xff";

} // namespace

class FileServicesEndToEndTest : public testing::EndToEndFixture
{
protected:
    void TearDown() override
    {
        OpenPanels::setDialogHookForTesting({});
        EndToEndFixture::TearDown();
        // QTemporaryDir cannot remove names that are not UTF-8.
        TestAudioFiles::run(QStringLiteral("rm"), {QStringLiteral("-rf"), path(QString())});
    }

    // A tone made under an ASCII name in `folder` (relative), then renamed to `name`'s bytes.
    QUrl makeNamed(const QString &folder, const QByteArray &name)
    {
        const QString made = makeAudio(folder + QStringLiteral("/made.mp3"));
        const QByteArray target = QFile::encodeName(path(folder)) + '/' + name;
        EXPECT_EQ(std::rename(QFile::encodeName(made).constData(), target.constData()), 0);
        return LocalFile::url(target);
    }
    // mutagen's tags; the path travels as hex, since a process argument is text.
    static QString mutagenText(const QUrl &url, const char *key)
    {
        const auto result = TestAudioFiles::python(
            QStringLiteral("import json, os, sys, mutagen\n"
                           "f = mutagen.File(os.fsdecode(bytes.fromhex(sys.argv[1])))\n"
                           "print(json.dumps({k: str(v) for k, v in f.tags.items()}))\n"),
            {QString::fromLatin1(LocalFile::nativePath(url).toHex())});
        return QJsonDocument::fromJson(result.out).object().value(QLatin1String(key)).toString();
    }
    // Every status line the store shows from now on.
    QStringList *recordStatusLines()
    {
        auto *lines = new QStringList;
        m_lines.reset(lines);
        QObject::connect(&store(), &LibraryStore::workspaceStatusChanged, &window(), [this] {
            if (const auto status = store().workspaceStatus())
                m_lines->append(status->message);
        });
        return lines;
    }
    std::unique_ptr<QStringList> m_lines;
};

TEST_F(FileServicesEndToEndTest, AFavouriteNamedInCp1251IsEditedInTheTable)
{
    const QUrl file = makeNamed(QStringLiteral("music"), kSong + ".mp3");
    const QList<QUuid> ids = importAndWait({file});
    ASSERT_EQ(ids.size(), 1);
    store().favorites().addToFavorites({ids.first()});
    auto *section = showSection<FavoritesSection>(Tab::favorites);
    ASSERT_TRUE(section && section->table()->isVisible());
    FavoritesTableView *table = section->table();
    testing::favoritesRightClick(*table, 0, QStringLiteral("title"));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("Новое имя"));
    QTest::keyClick(editor, Qt::Key_Return);

    EXPECT_TRUE(spinUntil([&] { return mutagenText(file, "TIT2") == "Новое имя"; }, 20000));
    EXPECT_FALSE(store().lastError()) << store().lastError()->toStdString();
}

TEST_F(FileServicesEndToEndTest, TheConverterConvertsAFileNamedInCp1251)
{
    const QUrl file = makeNamed(QStringLiteral("music"), kSong + ".mp3");
    ASSERT_EQ(queueForConversion({file}).size(), 1);
    showSection(Tab::converter);
    QAbstractButton *convert = visibleButton("Конвертировать");
    ASSERT_TRUE(convert);
    QTest::mouseClick(convert, Qt::LeftButton);

    using Status = ConversionItem::Status;
    ASSERT_TRUE(spinUntil([this] {
        return store().conversionItems().first().status.kind != Status::waiting &&
               store().conversionItems().first().status.kind != Status::converting;
    }));
    const ConversionItem item = store().conversionItems().first();
    ASSERT_EQ(item.status.kind, Status::completed) << item.status.message.toStdString();
    ASSERT_TRUE(item.outputURL);
    // The source is an MP3, so the copy takes the next free name beside it.
    EXPECT_EQ(LocalFile::nativePath(*item.outputURL),
              QFile::encodeName(path("music")) + '/' + kSong + " (MP3 1).mp3");
    QFile output;
    ASSERT_TRUE(LocalFile::open(output, LocalFile::path(*item.outputURL), QIODevice::ReadOnly));
    EXPECT_GT(output.size(), 1000);
}

TEST_F(FileServicesEndToEndTest, TheFolderWarningFollowsWhatTheImportFound)
{
    makeNamed(QStringLiteral("set"), kSong + ".mp3");
    TestAudioFiles::writeAll(path(QStringLiteral("set/cover.jpg")), "jpg");
    QList<QUrl> chosen{url(QStringLiteral("set"))};
    OpenPanels::setDialogHookForTesting([&chosen] { return chosen; });
    QAction *addFiles = nullptr;
    for (QAction *action : window().findChildren<QAction *>())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_O))
            addFiles = action;
    ASSERT_TRUE(addFiles);
    const QStringList *lines = recordStatusLines();

    addFiles->trigger();
    ASSERT_TRUE(spinUntil([&] { return lines->contains("Добавлено в плейлист: 1"); }));
    settle(500); // a warning would follow within this
    EXPECT_EQ(*lines, QStringList{"Добавлено в плейлист: 1"});

    // A folder named in CP1251 that holds no audio is named in the warning.
    const QByteArray scans = QFile::encodeName(path(QString())) + kSong;
    ASSERT_EQ(LocalFile::makePath(LocalFile::decodeName(scans)), 0);
    chosen = {LocalFile::url(scans)};
    addFiles->trigger();
    EXPECT_TRUE(spinUntil([&] { return lines->size() == 2; }));
    EXPECT_EQ(lines->value(1), "В папке нет аудиофайлов: " + QString(5, QChar(0xFFFD)));
}

TEST_F(FileServicesEndToEndTest, RemovalsFromCoversAndAnalysisSayWhatHappened)
{
    const QList<QUuid> ids = importAndWait(urls({makeAudio("a.mp3"), makeAudio("b.mp3")}));
    ASSERT_EQ(ids.size(), 2);
    store().favorites().addToFavorites({ids[0], ids[1]});
    showSection(Tab::covers);

    // Favourites stay in the covers section, with one notice for one and another for more.
    const std::pair<QSet<QUuid>, QString> removals[] = {
        {{ids[0]},
         "Этот трек нельзя удалить из «Обложек», пока он находится в «Избранном». Сначала "
         "уберите его из «Избранного»."},
        {{ids[0], ids[1]},
         "Эти треки нельзя удалить из «Обложек», пока они находятся в «Избранном». Сначала "
         "уберите их из «Избранного»."}};
    for (const auto &[selection, notice] : removals) {
        store().setSelectedIDs(selection);
        pressKey(Qt::Key_Delete);
        EXPECT_EQ(store().notice().value_or(QString()), notice);
        QMessageBox *box = visibleWidget<QMessageBox>();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->informativeText(), notice);
        box->buttons().first()->click();
        settle();
        EXPECT_FALSE(store().notice());
        EXPECT_EQ(store().sections().coverTracks().size(), 2);
    }

    store().importer().importForAnalysis({url("a.mp3"), url("b.mp3")});
    ASSERT_TRUE(spinUntil([this] { return store().analysisTracks().size() == 2; }));
    showSection(Tab::analysis);
    const QStringList *lines = recordStatusLines();
    store().setSelectedIDs({store().analysisTracks()[0].id, store().analysisTracks()[1].id});
    pressKey(Qt::Key_Delete);
    EXPECT_TRUE(store().analysisTracks().isEmpty());
    EXPECT_TRUE(lines->contains("Убрано из анализа: 2"));
}

} // namespace brivello
