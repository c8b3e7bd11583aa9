#pragma once

#include <QWidget>
#include <optional>

class QLabel;

namespace brivello {

// The centred panel a section shows while it holds nothing: symbol, title and message, the
// texts given as Russian keys and redrawn on a language change.
class WorkspaceEmptyState : public QWidget
{
    Q_OBJECT
public:
    WorkspaceEmptyState(const QString &icon,
                        const QString &titleKey,
                        const QString &messageKey,
                        QWidget *parent = nullptr);

    // Fills the message's "%@" (the key is looked up first, then formatted).
    void setMessageArgument(const QString &argument);
    QString titleText() const;
    QString messageText() const;

private:
    void retranslate();
    void restyle();

    QString m_icon;
    QString m_titleKey;
    QString m_messageKey;
    std::optional<QString> m_messageArgument;
    QWidget *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_message = nullptr;
};

} // namespace brivello
