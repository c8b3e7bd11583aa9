#pragma once

#include <QAbstractButton>

namespace brivello {

class MotionValue;

// The shared action button: symbol and title on a dark or light surface with a 1 pt border,
// a hover state (never while disabled) and a pressed state. The title is a Russian text key.
class ActionButton : public QAbstractButton
{
    Q_OBJECT
public:
    ActionButton(const QString &titleKey, const QString &symbol, QWidget *parent = nullptr);

    QString titleKey() const { return m_titleKey; }
    void setTitleKey(const QString &titleKey);
    bool isHovering() const { return m_hovering && isEnabled(); }
    // The eased hover and press states the surface is drawn with.
    MotionValue *hoverMotion() const { return m_hoverMotion; }
    MotionValue *pressMotion() const { return m_pressMotion; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void refreshMotion();

    QString m_titleKey;
    QString m_symbol;
    bool m_hovering = false;
    MotionValue *m_hoverMotion;
    MotionValue *m_pressMotion;
};

} // namespace brivello
