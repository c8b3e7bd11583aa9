#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace brivello {

class ContextualHint;

// The hint bubble: a child widget of the window laid over its content under the hinted
// control (no popup, no keyboard focus). One per window; a click elsewhere closes it.
class HintOverlay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 250;

    static HintOverlay *forWindow(QWidget *window);

    void present(ContextualHint *hint);
    void close(ContextualHint *hint);
    ContextualHint *currentHint() const { return m_hint; }

    QString titleText() const;
    QString detailText() const;
    QString shortcutText() const;
    // Opened above its control because there was no room below.
    bool opensAbove() const { return m_above; }
    QPushButton *disableButton() const { return m_disable; }
    // Shown, with the pointer on it.
    bool isUnderPointer() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HintOverlay(QWidget *window);
    void refresh();
    void place();
    // The hinted control's anchor in the window's coordinates.
    QRect anchorInWindow() const;

    QPointer<ContextualHint> m_hint;
    QLabel *m_title = nullptr;
    QLabel *m_detail = nullptr;
    QWidget *m_shortcutRow = nullptr;
    QLabel *m_shortcutLabel = nullptr;
    QLabel *m_shortcut = nullptr;
    QPushButton *m_disable = nullptr;
    bool m_above = false;
};

} // namespace brivello
