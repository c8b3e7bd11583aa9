#pragma once

#include <QAbstractButton>

namespace brivello {

// A small icon-only button with the hover capsule (collapse and settings buttons).
class ToolbarIconButton : public QAbstractButton
{
    Q_OBJECT
public:
    ToolbarIconButton(const QString &symbol, QWidget *parent = nullptr);
    void setSymbol(const QString &symbol);
    QString symbol() const { return m_symbol; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString m_symbol;
    bool m_hovering = false;
};

} // namespace brivello
