#include "ConversionRun.h"

#include "audiofiles/MP3ConversionService.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"

#include <QPointer>

namespace brivello {

ConversionRun::ConversionRun(LibraryStore &store)
    : QObject(&store)
    , m_store(store)
{}

ConversionRun::~ConversionRun()
{
    m_stop.request_stop();
}

void ConversionRun::convertQueuedItems()
{
    bool added = false;
    for (const ConversionItem &item : m_store.conversionItems()) {
        if (item.status.kind == ConversionItem::Status::waiting &&
            !m_pendingIDs.contains(item.id)) {
            m_pendingIDs.append(item.id);
            added = true;
        }
    }
    if (!added || m_isRunning)
        return;
    [](QCoro::Task<> task) -> QCoro::Task<> { co_await task; }(run());
}

QCoro::Task<> ConversionRun::run()
{
    m_isRunning = true;
    m_convertedCount = 0;
    m_failedCount = 0;
    QPointer<ConversionRun> self(this);
    while (!m_pendingIDs.isEmpty()) {
        co_await convertItem(m_pendingIDs.first());
        if (!self)
            co_return;
        m_pendingIDs.removeFirst();
    }
    m_isRunning = false;
    if (m_failedCount > 0) {
        m_store.showStatus(
            BrivelloLocalization::format(
                QStringLiteral("Конвертировано: %d · Ошибок: %d"), m_convertedCount, m_failedCount),
            QStringLiteral("exclamationmark.triangle"),
            WorkspaceStatus::Tone::warning,
            5.0);
    } else {
        m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Конвертация завершена: %d"),
                                                        m_convertedCount),
                           QStringLiteral("checkmark.circle"),
                           WorkspaceStatus::Tone::success,
                           3.6);
    }
    emit runFinished();
}

// Items are found by id before every write: the queue may change while ffmpeg runs.
QCoro::Task<> ConversionRun::convertItem(QUuid id)
{
    const QList<ConversionItem> &items = m_store.conversionItems();
    const auto found = std::find_if(
        items.cbegin(), items.cend(), [&id](const ConversionItem &item) { return item.id == id; });
    // Gone, or already taken by an earlier run: never convert one file twice.
    if (found == items.cend() || found->status.kind != ConversionItem::Status::waiting)
        co_return;
    const QUrl source = found->url;
    updateItem(id, [](ConversionItem &item) {
        item.status = {ConversionItem::Status::converting, {}};
    });
    const int bitrate = static_cast<int>(m_store.settings().converterBitrate());

    QPointer<ConversionRun> self(this);
    std::optional<QUrl> output;
    QString failure;
    try {
        QCoro::Task<QUrl> converting =
            MP3ConversionService::convert(source, bitrate, m_stop.get_token());
        output = co_await converting;
    } catch (const MP3ConversionService::ConversionError &error) {
        failure = error.descriptionKey();   // looked up when the row is drawn
    } catch (const std::exception &error) { // ProcessLaunchError, file system errors
        failure = QString::fromLocal8Bit(error.what());
    }
    if (!self) // stopped with the application: the item stays as it was restored
        co_return;
    if (output) {
        if (updateItem(id, [](ConversionItem &item) {
                item.status = {ConversionItem::Status::completed, {}};
            })) {
            updateItem(id, [&output](ConversionItem &item) { item.outputURL = *output; });
            ++m_convertedCount;
        }
    } else if (updateItem(id, [&failure](ConversionItem &item) {
                   item.status = ConversionItem::Status::failure(failure);
               })) {
        ++m_failedCount;
    }
}

template <typename Change> bool ConversionRun::updateItem(const QUuid &id, Change change)
{
    QList<ConversionItem> items = m_store.conversionItems();
    const auto found = std::find_if(
        items.begin(), items.end(), [&id](const ConversionItem &item) { return item.id == id; });
    if (found == items.end())
        return false;
    change(*found);
    m_store.setConversionItems(std::move(items));
    return true;
}

void ConversionRun::removeConversionItem(const QUuid &id)
{
    QList<ConversionItem> items = m_store.conversionItems();
    items.removeIf([&id](const ConversionItem &item) { return item.id == id; });
    m_store.setConversionItems(std::move(items));
    QSet<QUuid> selection = m_store.converterSelectedItemIDs();
    selection.remove(id);
    m_store.setConverterSelectedItemIDs(selection);
    if (m_store.converterFocusedItemID() == id) {
        m_store.setConverterFocusedItemID(selection.isEmpty() ? std::nullopt
                                                              : std::optional(*selection.cbegin()));
    }
}

} // namespace brivello
