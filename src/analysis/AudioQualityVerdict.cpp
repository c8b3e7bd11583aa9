#include "AudioQualityVerdict.h"

namespace brivello {

QString AudioQualityVerdict::rawValue() const
{
    switch (m_value) {
    case lossless:
        return QStringLiteral("Полный спектр");
    case lossy:
        return QStringLiteral("Lossy");
    case suspicious:
        return QStringLiteral("Подозрение на lossy");
    case inconclusive:
        break;
    }
    return QStringLiteral("Нужна проверка");
}

std::optional<AudioQualityVerdict> AudioQualityVerdict::fromRawValue(const QString &raw)
{
    for (Value value : {lossless, lossy, suspicious, inconclusive}) {
        if (AudioQualityVerdict(value).rawValue() == raw)
            return AudioQualityVerdict(value);
    }
    return std::nullopt;
}

} // namespace brivello
