#pragma once

#include <QString>
#include <optional>

namespace brivello {

// The four verdicts of a spectral analysis; the raw values are also the badge texts.
class AudioQualityVerdict
{
public:
    enum Value { lossless, lossy, suspicious, inconclusive };

    constexpr AudioQualityVerdict(Value value = inconclusive)
        : m_value(value)
    {}
    constexpr operator Value() const { return m_value; }

    QString rawValue() const;
    // Exactly the four raw values; nothing for any other text.
    static std::optional<AudioQualityVerdict> fromRawValue(const QString &raw);

private:
    Value m_value;
};

} // namespace brivello
