#pragma once

namespace brivello {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly QCoreApplication::quit() on the main
// thread, so the quit path (the snapshot flush) runs when a session ends or a terminal closes.
class TerminationSignals
{
public:
    // Call once on the main thread after the application object exists.
    static void quitApplicationOnTermination();
};

} // namespace brivello
