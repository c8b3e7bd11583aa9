#include "analysis/ThreadedAnalysisJobs.h"

#include "analysis/AnalysisError.h"
#include "analysis/AudioQualityAnalyzer.h"
#include "support/TestAudioFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace brivello {
namespace {

struct ThreadPriority
{
    int niceness = 0;
    int policy = 0;
};

ThreadPriority priorityAfter(ThreadedAnalysisJobs::Priority priority)
{
    ThreadPriority seen;
    std::thread([&] {
        ThreadedAnalysisJobs::applyPriority(priority);
        seen.niceness = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        sched_param param{};
        pthread_getschedparam(pthread_self(), &seen.policy, &param);
    }).join();
    return seen;
}

TEST(ThreadedAnalysisJobsTest, UtilityWorkRunsAboveBackgroundWork)
{
    const ThreadPriority utility = priorityAfter(ThreadedAnalysisJobs::Priority::utility);
    const ThreadPriority background = priorityAfter(ThreadedAnalysisJobs::Priority::background);
    // Both below the interface; background lower still, or on the idle policy.
    EXPECT_GT(utility.niceness, 0);
    EXPECT_NE(utility.policy, SCHED_IDLE);
    EXPECT_TRUE(background.niceness > utility.niceness || background.policy == SCHED_IDLE);
    EXPECT_GE(background.niceness, utility.niceness);
}

TEST(ThreadedAnalysisJobsTest, FailuresSayWhyTheFileCannotBeAnalysed)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("gone.flac");
    const QString empty = dir.filePath("empty.mp3");
    const QString text = dir.filePath("words.flac");
    ASSERT_TRUE(test::TestAudioFiles::writeAll(empty, {}));
    ASSERT_TRUE(test::TestAudioFiles::writeAll(text, QByteArray("no samples here").repeated(50)));
    const auto reason = [](const QString &path) {
        try {
            AudioQualityAnalyzer::analyze(QUrl::fromLocalFile(path), 4096, 100);
        } catch (const AnalysisError &error) {
            return AudioQualityAnalyzer::failureReason(path, error);
        }
        return QStringLiteral("analysed");
    };
    EXPECT_EQ(reason(missing), QStringLiteral("Файл не найден."));
    EXPECT_EQ(reason(empty), QStringLiteral("Файл пуст."));
    EXPECT_EQ(reason(text), QStringLiteral("Файл не читается как аудио."));
}

} // namespace
} // namespace brivello
