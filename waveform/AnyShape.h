#pragma once

#include <QPainterPath>
#include <QRectF>
#include <functional>
#include <memory>

namespace brivello {

// Any shape (a value with `QPainterPath path(const QRectF &) const`) behind one type. The
// copy it keeps is shared by copies of the AnyShape and may be asked from any thread.
class AnyShape
{
public:
    AnyShape() = default;
    template <typename Shape> explicit AnyShape(Shape shape)
    {
        auto kept = std::make_shared<const Shape>(std::move(shape));
        m_path = [kept](const QRectF &rect) { return kept->path(rect); };
    }

    QPainterPath path(const QRectF &rect) const { return m_path ? m_path(rect) : QPainterPath(); }

private:
    std::function<QPainterPath(const QRectF &)> m_path;
};

} // namespace brivello
