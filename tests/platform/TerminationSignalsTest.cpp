#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

// SIGTERM ends the event loop through the ordinary quit path, so aboutToQuit handlers run.
TEST(TerminationSignalsTest, SigtermQuitsTheEventLoopInAnOrderlyWay)
{
    TerminationSignals::quitApplicationOnTermination();
    bool aboutToQuit = false;
    QObject guard;
    QObject::connect(
        qApp, &QCoreApplication::aboutToQuit, &guard, [&aboutToQuit] { aboutToQuit = true; });
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    // Fails the run instead of hanging when the signal is not turned into a quit.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(aboutToQuit);
}

} // namespace
