#pragma once

#include <QString>
#include <exception>

namespace brivello {

// Failures the waveform cache reports itself: a file blocked after a failed extraction (domain
// "WaveformCache", code 2) and a file that cannot be read (no such file, code 260).
class WaveformCacheError : public std::exception
{
public:
    static constexpr int kTemporarilyUnavailable = 2;
    static constexpr int kFileReadNoSuchFile = 260;

    static WaveformCacheError temporarilyUnavailable()
    {
        // Deliberately not passed through the interface-language lookup.
        return {QStringLiteral("WaveformCache"),
                kTemporarilyUnavailable,
                QStringLiteral("Аудиофайл временно недоступен для waveform.")};
    }
    static WaveformCacheError fileReadNoSuchFile()
    {
        return {QStringLiteral("FileRead"),
                kFileReadNoSuchFile,
                QStringLiteral("No such file or directory")};
    }

    QString domain() const { return m_domain; }
    int code() const { return m_code; }
    QString errorDescription() const { return m_description; }
    const char *what() const noexcept override { return "waveform cache error"; }

private:
    WaveformCacheError(QString domain, int code, QString description)
        : m_domain(std::move(domain))
        , m_code(code)
        , m_description(std::move(description))
    {}
    QString m_domain;
    int m_code;
    QString m_description;
};

} // namespace brivello
