#pragma once

#include "shell/BrivelloTheme.h"

#include <QAbstractButton>

namespace brivello {

// The panel's round transport button: a symbol on a circular surface whose colours follow the
// appearance and the pointer. Main thread.
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

    static QColor foreground(ColorScheme scheme, bool hovering);
    static QColor surface(ColorScheme scheme, bool hovering);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString m_symbol;
    qreal m_symbolSize;
    bool m_hovering = false;
};

} // namespace brivello
