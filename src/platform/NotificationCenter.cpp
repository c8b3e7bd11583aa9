#include "NotificationCenter.h"

#include <QList>

namespace brivello {

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter *instance = new NotificationCenter;
    return *instance;
}

void NotificationCenter::post(const QString &name, QObject *sender, const QVariantMap &userInfo)
{
    const Notification note{name, sender, userInfo};
    // Observers may add or remove observers while they run: walk a copy of the tokens.
    QList<int> tokens = m_observers.keys();
    std::sort(tokens.begin(), tokens.end());
    for (int token : tokens) {
        auto it = m_observers.find(token);
        if (it == m_observers.end() || it->name != name)
            continue;
        if (it->receiver.isNull()) {
            m_observers.erase(it);
            continue;
        }
        if (it->filtersSender && it->sender.data() != sender)
            continue;
        const Handler handler = it->handler;
        handler(note);
    }
}

int NotificationCenter::observe(const QString &name,
                                QObject *sender,
                                QObject *receiver,
                                Handler handler)
{
    const int token = m_nextToken++;
    Observer observer{
        name, sender, sender != nullptr, receiver ? receiver : this, std::move(handler)};
    m_observers.insert(token, std::move(observer));
    if (receiver && receiver != this)
        connect(receiver, &QObject::destroyed, this, [this, token] { m_observers.remove(token); });
    return token;
}

void NotificationCenter::removeObserver(int token)
{
    m_observers.remove(token);
}

void NotificationCenter::removeObservers(QObject *receiver)
{
    for (auto it = m_observers.begin(); it != m_observers.end();) {
        if (it->receiver.data() == receiver)
            it = m_observers.erase(it);
        else
            ++it;
    }
}

} // namespace brivello
