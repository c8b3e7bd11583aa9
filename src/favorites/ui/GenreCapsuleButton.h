#pragma once

#include "shell/BrivelloTheme.h"

#include <QAbstractButton>

namespace brivello {

// The clickable shapes of the genre tools: a capsule (slot chip, chip-section chip, search
// button, untagged toggle), a circle (clear button) or a full-width row (palette list) with
// an optional symbol, a text and an optional slot badge. Texts are shown as given; callers
// translate. Main thread.
class GenreCapsuleButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Shape { capsule, circle, row };
    enum class Fill { none, neutral, active };

    GenreCapsuleButton(Shape shape, QWidget *parent = nullptr);

    void setSymbol(const QString &symbol);
    void setBadge(int number); // 0: none
    int badge() const { return m_badge; }
    void setFill(Fill fill);
    Fill fill() const { return m_fill; }
    // Whether the shared hover highlight may show (it never shows while disabled).
    void setHoverHighlight(bool enabled);
    bool showsHoverHighlight() const { return m_hoverHighlight && isEnabled() && m_hovering; }
    void setPadding(qreal horizontal, qreal vertical);
    void setFixedExtent(qreal extent) { m_extent = extent; }
    void setSymbolSize(qreal size) { m_symbolSize = size; }
    void setTextStyle(TextStyle style, QFont::Weight weight);

    static QColor neutralFill(ColorScheme scheme);
    static QColor activeFill(ColorScheme scheme);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    qreal contentWidth() const;
    void paintBadge(QPainter &painter, const QRectF &box, ColorScheme scheme) const;

    Shape m_shape;
    Fill m_fill = Fill::neutral;
    QString m_symbol;
    int m_badge = 0;
    bool m_hoverHighlight = true;
    bool m_hovering = false;
    qreal m_paddingX = 9;
    qreal m_paddingY = 6;
    qreal m_extent = 0; // fixed height (and width for the circle) when above 0
    qreal m_symbolSize = 13;
};

} // namespace brivello
