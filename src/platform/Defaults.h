#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

namespace brivello {

// The user defaults: typed reads and writes by key, backed by an INI file under the user's
// config folder. Thread-safe; `changed` is emitted on the writer's thread after every write.
// Large values (the workspace snapshot) are kept as an atomic file named after the key.
class Defaults : public QObject
{
    Q_OBJECT
public:
    static Defaults &standard();
    // Defaults of their own in the INI file `path` (tests hand these to the parts they build).
    explicit Defaults(const QString &path);

    bool contains(const QString &key) const;
    QVariant value(const QString &key) const;
    QString string(const QString &key, const QString &fallback = {}) const;
    bool boolean(const QString &key, bool fallback = false) const;
    double real(const QString &key, double fallback = 0.0) const;
    qint64 integer(const QString &key, qint64 fallback = 0) const;

    void set(const QString &key, const QVariant &value);
    void remove(const QString &key);

    // Large blobs kept beside the settings file as "<key>.json", written atomically.
    QByteArray data(const QString &key) const;
    bool setData(const QString &key, const QByteArray &bytes);
    void removeData(const QString &key);
    QString dataPath(const QString &key) const;

    // Drops every stored value, signalling each key; tests start from a clean state with it.
    void resetForTesting();

signals:
    void changed(const QString &key);

private:
    Defaults();
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace brivello
