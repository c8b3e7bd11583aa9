#include "library/MetadataLoadLedger.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>

namespace brivello {
namespace {

QCoro::Task<> waitUntilSettled(MetadataLoadLedger &ledger, QUrl url, bool &done)
{
    while (ledger.isDue(url))
        co_await ledger.nextSettle();
    done = true;
}

TEST(MetadataLoadLedgerTest, AFileScheduledTwiceIsDueUntilBothLoadsAreApplied)
{
    MetadataLoadLedger ledger;
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/music/a.mp3"));
    ledger.addDue(url);
    ledger.addDue(url);
    bool done = false;
    QCoro::Task<> waiting = waitUntilSettled(ledger, url, done);

    ledger.settle({url});
    QCoreApplication::processEvents();
    EXPECT_TRUE(ledger.isDue(url));
    EXPECT_FALSE(done);

    ledger.settle({url});
    // Waiters resume from the event loop, never inside settle().
    EXPECT_FALSE(done);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ledger.isDue(url));
    EXPECT_TRUE(done);
}

TEST(MetadataLoadLedgerTest, OnlyTheLastOperationToEndReportsTheEnd)
{
    MetadataLoadLedger ledger;
    ledger.beginOperation();
    ledger.beginOperation();
    EXPECT_TRUE(ledger.isLoading());
    EXPECT_FALSE(ledger.endOperation());
    EXPECT_TRUE(ledger.endOperation());
    EXPECT_FALSE(ledger.isLoading());
    // An end without a start never counts below zero.
    EXPECT_TRUE(ledger.endOperation());
    ledger.beginOperation();
    EXPECT_TRUE(ledger.isLoading());
}

} // namespace
} // namespace brivello
