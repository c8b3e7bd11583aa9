#include "Defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace brivello {

Defaults &Defaults::standard()
{
    static Defaults *instance = new Defaults;
    return *instance;
}

Defaults::Defaults()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat,
                                             QSettings::UserScope,
                                             QStringLiteral("Brivello"),
                                             QStringLiteral("Brivello")))
{}

Defaults::Defaults(const QString &path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{}

bool Defaults::contains(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

QVariant Defaults::value(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key);
}

QString Defaults::string(const QString &key, const QString &fallback) const
{
    const QVariant v = value(key);
    return v.isValid() ? v.toString() : fallback;
}

bool Defaults::boolean(const QString &key, bool fallback) const
{
    const QVariant v = value(key);
    if (!v.isValid())
        return fallback;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("yes");
    }
    return v.toBool();
}

double Defaults::real(const QString &key, double fallback) const
{
    const QVariant v = value(key);
    bool ok = false;
    const double d = v.toDouble(&ok);
    return v.isValid() && ok ? d : fallback;
}

qint64 Defaults::integer(const QString &key, qint64 fallback) const
{
    const QVariant v = value(key);
    // The INI backend hands back text: read it as a number and truncate like an integer cast.
    bool ok = false;
    const double d = v.toDouble(&ok);
    return v.isValid() && ok ? static_cast<qint64>(d) : fallback;
}

void Defaults::set(const QString &key, const QVariant &value)
{
    {
        QMutexLocker lock(&m_mutex);
        m_settings->setValue(key, value);
        m_settings->sync();
    }
    emit changed(key);
}

void Defaults::remove(const QString &key)
{
    {
        QMutexLocker lock(&m_mutex);
        m_settings->remove(key);
        m_settings->sync();
    }
    emit changed(key);
}

QString Defaults::dataPath(const QString &key) const
{
    const QFileInfo settingsFile(m_settings->fileName());
    return settingsFile.absolutePath() + QLatin1Char('/') + key + QStringLiteral(".json");
}

QByteArray Defaults::data(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    QFile file(dataPath(key));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool Defaults::setData(const QString &key, const QByteArray &bytes)
{
    {
        QMutexLocker lock(&m_mutex);
        const QString path = dataPath(key);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return false;
    }
    emit changed(key);
    return true;
}

void Defaults::removeData(const QString &key)
{
    {
        QMutexLocker lock(&m_mutex);
        QFile::remove(dataPath(key));
    }
    emit changed(key);
}

void Defaults::resetForTesting()
{
    QStringList keys;
    {
        QMutexLocker lock(&m_mutex);
        keys = m_settings->allKeys();
        m_settings->clear();
        m_settings->sync();
        QDir dir(QFileInfo(m_settings->fileName()).absolutePath());
        for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files))
            dir.remove(name);
    }
    // Observers that keep a value (the current language) see it go.
    for (const QString &key : std::as_const(keys))
        emit changed(key);
}

} // namespace brivello
