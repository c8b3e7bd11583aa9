#pragma once

#include <QList>
#include <QObject>
#include <QUuid>
#include <qcoro/qcorotask.h>
#include <stop_token>

namespace brivello {

class LibraryStore;

// Converts the converter queue's waiting items to MP3, one file at a time, and keeps their
// statuses in the store. Main thread; a child of the store it works on. At most one run is
// active: a call during a run hands the newly waiting items to it. Destroying it (the
// application quits) stops the conversion in progress: ffmpeg is killed and reaped and its
// partial file removed.
class ConversionRun : public QObject
{
    Q_OBJECT
public:
    explicit ConversionRun(LibraryStore &store);
    ~ConversionRun() override;

    void convertQueuedItems();
    // Drops the item and repairs the converter's selection and focus.
    void removeConversionItem(const QUuid &id);
    bool isRunning() const { return m_isRunning; }

signals:
    void runFinished();

private:
    QCoro::Task<> run();
    QCoro::Task<> convertItem(QUuid id);
    // Applies `change` to the first item with that id and saves; false when it is gone.
    template <typename Change> bool updateItem(const QUuid &id, Change change);

    LibraryStore &m_store;
    std::stop_source m_stop;
    bool m_isRunning = false;
    QList<QUuid> m_pendingIDs;
    int m_convertedCount = 0;
    int m_failedCount = 0;
};

} // namespace brivello
