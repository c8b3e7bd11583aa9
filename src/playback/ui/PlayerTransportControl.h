#pragma once

#include "shell/BrivelloTheme.h"

#include <QAbstractButton>
#include <QVariantAnimation>

namespace brivello {

// The panel's round transport button: a symbol on a circular surface whose colours follow the
// appearance and the pointer. Hover fades in and out; a new symbol replaces the old one by
// scale and opacity (at once with reduced motion). Main thread.
class PlayerTransportControl : public QAbstractButton
{
    Q_OBJECT
public:
    PlayerTransportControl(const QString &symbol,
                           int size,
                           qreal symbolSize,
                           QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    bool isHovering() const { return m_hovering; }
    // 0 … 1: how far the hovered look has come in.
    qreal hoverLevel() const { return m_hoverLevel; }
    bool isReplacingSymbol() const { return m_replace->state() == QAbstractAnimation::Running; }

    static QColor foreground(ColorScheme scheme, bool hovering);
    static QColor surface(ColorScheme scheme, bool hovering);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setHovering(bool hovering);
    void paintSymbol(QPainter &painter, const QString &symbol, qreal amount, const QColor &color);

    QString m_symbol;
    QString m_previousSymbol;
    qreal m_symbolSize;
    bool m_hovering = false;
    qreal m_hoverLevel = 0;
    QVariantAnimation *m_hover;
    QVariantAnimation *m_replace;
};

} // namespace brivello
