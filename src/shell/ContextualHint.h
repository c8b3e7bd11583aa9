#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace brivello {

class ContextualHintState;

// Attaches a hover hint to a control: after 3 s of rest the window's hint overlay opens under
// the control with the title, the detail, the current shortcut and "Отключить подсказки".
// Texts are Russian keys, looked up when drawn. Owned by the control; main thread.
class ContextualHint : public QObject
{
    Q_OBJECT
public:
    using ShortcutProvider = std::function<QString()>;

    static ContextualHint *attach(QWidget *control,
                                  const QString &title,
                                  const QString &detail,
                                  ShortcutProvider shortcut = {});
    // The hint attached to a control, if any.
    static ContextualHint *of(QWidget *control);

    QString title() const { return m_title; }
    QString detail() const { return m_detail; }
    QString shortcut() const { return m_shortcut ? m_shortcut() : QString(); }
    void setTitle(const QString &title) { m_title = title; }
    ContextualHintState *state() const { return m_state; }
    QWidget *control() const { return m_control; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ContextualHint(QWidget *control,
                   const QString &title,
                   const QString &detail,
                   ShortcutProvider shortcut);
    void presentedChanged(bool presented);

    QPointer<QWidget> m_control;
    QString m_title;
    QString m_detail;
    ShortcutProvider m_shortcut;
    ContextualHintState *m_state = nullptr;
};

} // namespace brivello
