#include "settings/UpdateManager.h"

#include "ManifestServer.h"
#include "platform/Defaults.h"
#include "platform/Scheduler.h"

#include <QTest>
#include <gtest/gtest.h>

namespace brivello {
namespace {

using State = UpdateManager::State;
using Answer = ManifestServer::Answer;

const QString kFailure = QStringLiteral("Не удалось проверить обновления.");

class UpdateManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults::standard().resetForTesting();
        m_manager = std::make_unique<UpdateManager>(m_clock);
        m_manager->setManifestURL(m_server.url());
        m_manager->setOpener([this](const QUrl &url) { m_opened.append(url); });
    }
    void TearDown() override { m_manager.reset(); }

    // Runs one check to its end.
    void check()
    {
        QCoro::Task<> task = m_manager->checkForUpdates();
        ASSERT_TRUE(QTest::qWaitFor([&task] { return task.isReady(); }, 10000));
    }
    QString newerVersion() const { return m_manager->currentVersion() + QStringLiteral(".1"); }

    VirtualScheduler m_clock;
    ManifestServer m_server;
    std::unique_ptr<UpdateManager> m_manager;
    QList<QUrl> m_opened;
};

TEST_F(UpdateManagerTest, OnlySuccessStatusesAreRead)
{
    const struct
    {
        int status;
        State expected;
    } cases[] = {{200, State::available},
                 {201, State::available},
                 {299, State::available},
                 {404, State::failed},
                 {500, State::failed}};
    for (const auto &c : cases) {
        m_server.enqueue({c.status, ManifestServer::manifest(newerVersion())});
        check();
        EXPECT_EQ(m_manager->state(), c.expected) << c.status;
        EXPECT_EQ(m_manager->errorText(), c.expected == State::failed ? kFailure : QString())
            << c.status;
    }
}

TEST_F(UpdateManagerTest, NewerManifestIsOfferedWithItsFieldsAndOpensItsLink)
{
    m_server.enqueue({200, ManifestServer::manifest(newerVersion())});
    check();
    ASSERT_TRUE(m_manager->availableRelease());
    const UpdateManager::Release release = *m_manager->availableRelease();
    EXPECT_EQ(release.version, newerVersion());
    EXPECT_EQ(release.id(), newerVersion() + QStringLiteral("-57"));
    EXPECT_EQ(release.releaseNotes, "Fixes");
    EXPECT_EQ(release.publishedAt, "2026-12-01");
    m_manager->downloadAvailableRelease();
    EXPECT_EQ(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/b.deb"))});

    // A pre-release of the running version and the running version itself are not newer.
    for (const QString &version :
         {m_manager->currentVersion(), m_manager->currentVersion() + QStringLiteral("-beta")}) {
        m_server.enqueue({200, ManifestServer::manifest(version)});
        check();
        EXPECT_EQ(m_manager->state(), State::upToDate) << version.toStdString();
    }
    m_manager->downloadAvailableRelease();
    EXPECT_EQ(m_opened.size(), 1);
}

TEST_F(UpdateManagerTest, RequestAsksPastCachesForTheManifestPath)
{
    m_server.enqueue({200, ManifestServer::manifest(newerVersion())});
    check();
    ASSERT_EQ(m_server.requestCount(), 1);
    const QByteArray request = m_server.request(0).toLower();
    EXPECT_TRUE(request.startsWith("get /latest.json http/1.1")) << request.constData();
    EXPECT_TRUE(request.contains("cache-control: no-cache")) << request.constData();
}

TEST_F(UpdateManagerTest, MalformedManifestsFailWithTheOneText)
{
    const QString ok = newerVersion();
    const QByteArray valid = ManifestServer::manifest(ok);
    const QList<QByteArray> bodies = {
        "not json",
        "[1, 2]",
        QByteArray(valid).replace("\"build\": 57", "\"build\": \"57\""),
        QByteArray(valid).replace("\"build\": 57", "\"build\": 57.5"),
        QByteArray(valid).replace("\"publishedAt\"", "\"published\""),
        QByteArray(valid).replace("\"releaseNotes\": \"Fixes\"", "\"releaseNotes\": null"),
        "{\"version\": 2, \"build\": 1, \"downloadURL\": \"https://a.b/c\", "
        "\"releaseNotes\": \"\", \"publishedAt\": \"\"}",
        ManifestServer::manifest(ok, QStringLiteral("javascript:alert(1)")),
        ManifestServer::manifest(ok, QStringLiteral("file:///etc/passwd")),
        ManifestServer::manifest(ok, QStringLiteral("http://example.org/b.deb")),
        ManifestServer::manifest(ok, QStringLiteral("/relative/b.deb")),
        ManifestServer::manifest(ok, QStringLiteral("https://")),
    };
    for (const QByteArray &body : bodies) {
        m_server.enqueue({200, body});
        check();
        EXPECT_EQ(m_manager->state(), State::failed) << body.constData();
        EXPECT_EQ(m_manager->errorText(), kFailure);
    }
    m_manager->downloadAvailableRelease();
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(UpdateManagerTest, ExtraKeysAndWholeDoubleBuildsDecode)
{
    QByteArray body = ManifestServer::manifest(newerVersion());
    body.replace("\"build\": 57", "\"build\": 57.0, \"channel\": [1]");
    const std::optional<UpdateManager::Release> release = UpdateManager::decodeRelease(body);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->build, 57);
}

TEST_F(UpdateManagerTest, SlowAnswerFailsAtTheTimeOutAndIsIgnoredLater)
{
    m_manager->setTimeout(2);
    m_server.enqueue(Answer::held());
    QCoro::Task<> task = m_manager->checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_server.heldCount() == 1; }, 10000));
    m_clock.advance(1.9);
    EXPECT_EQ(m_manager->state(), State::checking);
    m_clock.advance(0.1);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(m_manager->state(), State::failed);
    EXPECT_EQ(m_manager->errorText(), kFailure);

    m_server.release(0, {200, ManifestServer::manifest(newerVersion())});
    QTest::qWait(50);
    EXPECT_EQ(m_manager->state(), State::failed);
}

TEST_F(UpdateManagerTest, NewestOfOverlappingChecksDecides)
{
    m_server.enqueue({200, ManifestServer::manifest(newerVersion())});
    check();
    ASSERT_TRUE(m_manager->availableRelease());

    m_server.enqueue(Answer::held());
    m_server.enqueue(Answer::held());
    QCoro::Task<> first = m_manager->checkForUpdates();
    // A running check hides the release it found before.
    EXPECT_EQ(m_manager->state(), State::checking);
    EXPECT_FALSE(m_manager->availableRelease());
    QCoro::Task<> second = m_manager->checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_server.heldCount() == 2; }, 10000));

    m_server.release(1, {200, ManifestServer::manifest(m_manager->currentVersion())});
    ASSERT_TRUE(QTest::qWaitFor([&second] { return second.isReady(); }, 10000));
    EXPECT_EQ(m_manager->state(), State::upToDate);

    m_server.release(0, {200, ManifestServer::manifest(QStringLiteral("99.0"))});
    ASSERT_TRUE(QTest::qWaitFor([&first] { return first.isReady(); }, 10000));
    EXPECT_EQ(m_manager->state(), State::upToDate);
    m_manager->downloadAvailableRelease();
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(UpdateManagerTest, HugeBodiesAndHangUpsFail)
{
    const QList<Answer> answers = {
        Answer::streamed(4 * UpdateManager::kMaximumManifestSize),
        Answer::hungUp(),
    };
    for (const Answer &answer : answers) {
        m_server.enqueue(answer);
        check();
        EXPECT_EQ(m_manager->state(), State::failed);
    }
}

TEST_F(UpdateManagerTest, DestroyingTheManagerEndsAWaitingCheck)
{
    m_server.enqueue(Answer::held());
    QCoro::Task<> task = m_manager->checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_server.heldCount() == 1; }, 10000));
    m_manager.reset();
    EXPECT_TRUE(task.isReady());
}

TEST(UpdateManagerVersionTest, IsNewerComparesDottedPieces)
{
    const struct
    {
        const char *candidate;
        const char *reference;
        bool newer;
    } cases[] = {
        {"1.10", "1.9", true},
        {"1.0", "1", false},
        {"1.0.1", "1.0", true},
        {"2.0-beta", "2.0", false},
        {"1.2", "1.10", false},
        {"1.2.0", "1.2", false},
        {"1..2", "1.1", true},
        {"", "0", false},
        {"1", "", true},
        {"1.0.0-beta", "0.9", true},
        {"+2", "1", true},
        {"-1", "0", false},
        {"1. 2", "1.1", false},
        {"99999999999999999999", "1", false},
        {"1.a", "1.0", false},
        {"1.١", "1.0", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(
            UpdateManager::isNewer(QString::fromUtf8(c.candidate), QString::fromUtf8(c.reference)),
            c.newer)
            << c.candidate << " vs " << c.reference;
}

} // namespace
} // namespace brivello
