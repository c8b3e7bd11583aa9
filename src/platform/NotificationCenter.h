#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace brivello {

struct Notification
{
    QString name;
    QObject *sender = nullptr;
    QVariantMap userInfo;
};

// The process's notification hub. Main thread only: posts run the matching observers
// synchronously. An observer lives until it is removed or its receiver is destroyed.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();

    void post(const QString &name, QObject *sender = nullptr, const QVariantMap &userInfo = {});
    // `sender` filters by object when given. Returns a token for removeObserver.
    int observe(const QString &name, QObject *sender, QObject *receiver, Handler handler);
    void removeObserver(int token);
    void removeObservers(QObject *receiver);

private:
    struct Observer
    {
        QString name;
        QPointer<QObject> sender;
        bool filtersSender = false;
        QPointer<QObject> receiver;
        Handler handler;
    };
    QHash<int, Observer> m_observers;
    int m_nextToken = 1;
};

} // namespace brivello
