#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

class QWidget;

namespace brivello {

class ContextualHintState;
class Scheduler;

// Attaches a hover hint to a control: after 3 s of rest (on the scheduler it is given) the
// window's hint overlay opens under the control with the title, the detail, the current
// shortcut and "Отключить подсказки". Texts are Russian keys, looked up when drawn. Owned by
// the control; main thread.
class ContextualHint : public QObject
{
    Q_OBJECT
public:
    using ShortcutProvider = std::function<QString()>;

    static ContextualHint *attach(QWidget *control,
                                  Scheduler &scheduler,
                                  const QString &title,
                                  const QString &detail,
                                  ShortcutProvider shortcut = {});
    // A hint for a part of `host` that is no widget of its own (a row's heart): the host
    // reports the pointer with hoverArea() and sets the texts for the area it is over.
    static ContextualHint *
    attachToAreas(QWidget *host, Scheduler &scheduler, ShortcutProvider shortcut = {});
    // The hint attached to a control, if any.
    static ContextualHint *of(QWidget *control);

    QString title() const { return m_title; }
    QString detail() const { return m_detail; }
    QString shortcut() const { return m_shortcut ? m_shortcut() : QString(); }
    void setTitle(const QString &title) { m_title = title; }
    void setDetail(const QString &detail) { m_detail = detail; }
    // The pointer entered `area` (host coordinates) or, with an empty one, left every area.
    void hoverArea(const QRect &area);
    // What the hint points at, in the control's coordinates.
    QRect anchorRect() const;
    ContextualHintState *state() const { return m_state; }
    QWidget *control() const { return m_control; }
    // Closes every hint and cancels every pending one; a control waits for the pointer to move
    // on it before it starts a new wait. Called when a dialog or a pop-up opens
    // or closes (the pointer "enters" the control again when a dialog goes); the controls of
    // `coveringWindow`, the dialog or pop-up itself, are left alone.
    static void quietAll(const QWidget *coveringWindow = nullptr);
    // The pointer left for somewhere that is neither the control nor its open hint.
    void pointerLeft();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    ~ContextualHint() override;

private:
    ContextualHint(QWidget *control,
                   Scheduler &scheduler,
                   const QString &title,
                   const QString &detail,
                   ShortcutProvider shortcut,
                   bool followsPointer);
    void presentedChanged(bool presented);
    void closeUnlessPointerOnHint();

    QPointer<QWidget> m_control;
    QString m_title;
    QString m_detail;
    ShortcutProvider m_shortcut;
    ContextualHintState *m_state = nullptr;
    // False for area hints: the host reports the pointer, not Enter and Leave.
    bool m_followsPointer = true;
    QRect m_area;   // the area under the pointer
    QRect m_anchor; // the area the open hint points at
    // After quietAll(): an Enter without a pointer move does not start the wait.
    bool m_awaitingMove = false;
};

} // namespace brivello
