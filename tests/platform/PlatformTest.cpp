#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"

#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

class LocalizationTest : public ::testing::Test
{
protected:
    void SetUp() override { Defaults::standard().resetForTesting(); }
    void TearDown() override { Defaults::standard().resetForTesting(); }
};

TEST_F(LocalizationTest, LanguageFollowsTheSettingAtEveryLookup)
{
    EXPECT_EQ(AppLanguage::current(), AppLanguage::russian);
    EXPECT_EQ(BrivelloLocalization::string("Плейлист"), "Плейлист");
    Defaults::standard().set(kAppLanguageKey, "en");
    EXPECT_EQ(BrivelloLocalization::string("Плейлист"), "Playlist");
    EXPECT_EQ(BrivelloLocalization::string("Нет такого ключа"), "Нет такого ключа");
    for (const char *other : {"EN", "de", ""}) {
        Defaults::standard().set(kAppLanguageKey, other);
        EXPECT_EQ(AppLanguage::current(), AppLanguage::russian) << other;
        EXPECT_EQ(BrivelloLocalization::string("Плейлист"), "Плейлист");
    }
    EXPECT_FALSE(AppLanguage::fromRawValue("EN").has_value());
    EXPECT_EQ(AppLanguage::fromRawValue("en")->label(), "English");
}

TEST_F(LocalizationTest, FormatterFillsPlaceholdersWithoutGrouping)
{
    EXPECT_EQ(BrivelloLocalization::format("Добавлено в плейлист: %d", 12345),
              "Добавлено в плейлист: 12345");
    Defaults::standard().set(kAppLanguageKey, "en");
    EXPECT_EQ(BrivelloLocalization::format("Добавлено в плейлист: %d", 3), "Added to playlist: 3");
    const auto en = AppLanguage(AppLanguage::english);
    const auto ru = AppLanguage(AppLanguage::russian);
    EXPECT_EQ(TextFormatter::format("%@ / %lld / %ld%%", {"a", 7, 8}, en), "a / 7 / 8%");
    EXPECT_EQ(TextFormatter::format("%2$@ %1$@", {"x", "y"}, en), "y x");
    EXPECT_EQ(TextFormatter::format("%.1f", {2.24}, ru), "2,2");
    EXPECT_EQ(TextFormatter::format("%.1f", {2.75}, en), "2.8");
}

TEST(NotificationCenterTest, DeliversByNameAndSenderUntilTheReceiverDies)
{
    auto &center = NotificationCenter::defaultCenter();
    QObject sender, other;
    int all = 0, filtered = 0;
    QVariant seen;
    {
        QObject receiver;
        center.observe(brivelloBPMDidChange, nullptr, &receiver, [&](const Notification &n) {
            ++all;
            seen = n.userInfo.value(kUserInfoTrackID);
        });
        center.observe(
            brivelloBPMDidChange, &sender, &receiver, [&](const Notification &) { ++filtered; });
        center.post(QStringLiteral("brivelloBPMDidChange"), &sender, {{kUserInfoTrackID, 5}});
        center.post(brivelloBPMDidChange, &other);
        center.post(brivelloPlaybackDidChange, &sender);
        EXPECT_EQ(all, 2);
        EXPECT_EQ(filtered, 1);
        EXPECT_EQ(seen, QVariant());
    }
    center.post(brivelloBPMDidChange, &sender);
    EXPECT_EQ(all, 2);
}

TEST(SchedulerTest, VirtualTimeRunsDueWorkInOrderAndSkipsCancelled)
{
    VirtualScheduler clock;
    QStringList ran;
    clock.after(0.35, [&] { ran << "b"; });
    ScheduledWork cancelled = clock.after(0.1, [&] { ran << "x"; });
    clock.after(0.2, [&] { ran << "a"; });
    cancelled.cancel();
    clock.advance(0.3);
    EXPECT_EQ(ran, QStringList{"a"});
    clock.advance(0.05);
    EXPECT_EQ(ran, (QStringList{"a", "b"}));
    EXPECT_FALSE(cancelled.isPending());
}

TEST(DefaultsTest, TypedReadsFallBackOnlyWhenAbsentAndDataIsAtomic)
{
    auto &d = Defaults::standard();
    d.resetForTesting();
    EXPECT_EQ(d.string("k", "fallback"), "fallback");
    d.set("k", "");
    EXPECT_EQ(d.string("k", "fallback"), "");
    d.set("b", true);
    d.set("r", 15.5);
    EXPECT_TRUE(d.boolean("b"));
    EXPECT_DOUBLE_EQ(d.real("r"), 15.5);
    EXPECT_EQ(d.integer("r"), 15);
    EXPECT_TRUE(d.setData("brivello.workspaceSession.v1", "{}"));
    EXPECT_EQ(d.data("brivello.workspaceSession.v1"), "{}");
    d.resetForTesting();
    EXPECT_TRUE(d.data("brivello.workspaceSession.v1").isEmpty());
}

} // namespace
