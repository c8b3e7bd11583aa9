#pragma once

#include <QMimeData>

namespace brivello {

// The payload of a drag that started on a row; rows refuse it as a drop.
class RowDragMimeData : public QMimeData
{
    Q_OBJECT
};

} // namespace brivello
