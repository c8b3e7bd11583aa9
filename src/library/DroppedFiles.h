#pragma once

#include <QList>
#include <QUrl>
#include <QVariant>
#include <optional>

class QMimeData;

namespace brivello {

// Turning what a drop delivers into file addresses. Pure functions, any thread.

// One dropped item to an address, tested in this order: an address, the encoded bytes of an
// address, address text (parsed as an address, never as a bare path). Touches no file.
std::optional<QUrl> droppedFileURL(const QVariant &item);

// The items of a drop, one per dragged file: each address of "text/uri-list", or, when there
// is none, each non-empty line of the plain text.
QList<QVariant> droppedItems(const QMimeData *mime);

// The file addresses among the items, in order. An item that gives no file address is skipped.
QList<QUrl> droppedFileURLs(const QMimeData *mime);

// Walks the list in order and keeps the first address of each standardised local path,
// as it came in; addresses with an empty path are dropped.
QList<QUrl> uniqueFileURLs(const QList<QUrl> &urls);

} // namespace brivello
