#pragma once

#include <QAbstractButton>

namespace brivello {

class MotionValue;

// A small icon-only button with the hover capsule (collapse and settings buttons).
class ToolbarIconButton : public QAbstractButton
{
    Q_OBJECT
public:
    ToolbarIconButton(const QString &symbol, QWidget *parent = nullptr);
    void setSymbol(const QString &symbol);
    QString symbol() const { return m_symbol; }
    MotionValue *hoverMotion() const { return m_hoverMotion; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString m_symbol;
    MotionValue *m_hoverMotion;
};

} // namespace brivello
