#include "DesktopMotionPreference.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace brivello {

namespace {

constexpr int kReplyTimeoutMs = 1000;

std::optional<QString> run(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(kReplyTimeoutMs)) {
        process.kill();
        process.waitForFinished(kReplyTimeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

std::optional<bool> DesktopMotionPreference::parseBoolean(const QString &reply)
{
    const QString value = reply.trimmed();
    if (value == QLatin1String("true"))
        return true;
    if (value == QLatin1String("false"))
        return false;
    return std::nullopt;
}

std::optional<bool> DesktopMotionPreference::gnomeAnimationsEnabled()
{
    if (const auto reply = run(QStringLiteral("gsettings"),
                               {QStringLiteral("get"),
                                QStringLiteral("org.gnome.desktop.interface"),
                                QStringLiteral("enable-animations")})) {
        if (const auto value = parseBoolean(*reply))
            return value;
    }
    // dconf prints nothing for a key that was never written.
    if (const auto reply = run(QStringLiteral("dconf"),
                               {QStringLiteral("read"),
                                QStringLiteral("/org/gnome/desktop/interface/enable-animations")}))
        return parseBoolean(*reply);
    return std::nullopt;
}

std::optional<double> DesktopMotionPreference::kdeAnimationDurationFactor()
{
    const QString path =
        QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals"));
    if (path.isEmpty())
        return std::nullopt;
    const QSettings globals(path, QSettings::IniFormat);
    const QVariant value = globals.value(QStringLiteral("KDE/AnimationDurationFactor"));
    bool ok = false;
    const double factor = value.toString().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return factor;
}

bool DesktopMotionPreference::asksToReduceMotion()
{
    if (const auto factor = kdeAnimationDurationFactor(); factor && *factor <= 0)
        return true;
    const auto enabled = gnomeAnimationsEnabled();
    return enabled && !*enabled;
}

} // namespace brivello
