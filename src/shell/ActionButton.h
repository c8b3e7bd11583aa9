#pragma once

#include <QAbstractButton>

namespace brivello {

// The shared action button: symbol and title on a dark or light surface with a 1 pt border,
// a hover state (never while disabled) and a pressed state. The title is a Russian text key.
class ActionButton : public QAbstractButton
{
    Q_OBJECT
public:
    ActionButton(const QString &titleKey, const QString &symbol, QWidget *parent = nullptr);

    QString titleKey() const { return m_titleKey; }
    bool isHovering() const { return m_hovering && isEnabled(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    QString m_titleKey;
    QString m_symbol;
    bool m_hovering = false;
};

} // namespace brivello
