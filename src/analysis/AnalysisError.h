#pragma once

#include <QString>
#include <exception>

namespace brivello {

// A failure of one of the analysers: a domain ("Brivello.Quality", "Brivello.BPM", or
// "FFmpeg" for reading failures), a numeric code and an optional user-facing description.
class AnalysisError : public std::exception
{
public:
    AnalysisError(QString domain, int code, QString description = {})
        : m_domain(std::move(domain))
        , m_code(code)
        , m_description(std::move(description))
    {}

    const QString &domain() const { return m_domain; }
    int code() const { return m_code; }
    // Empty for the guard codes that carry no description.
    const QString &localizedDescription() const { return m_description; }
    const char *what() const noexcept override { return "audio analysis failed"; }

    // A libav failure (`status` is its negative error code) with libav's own wording.
    static AnalysisError fromLibav(int status);

private:
    QString m_domain;
    int m_code;
    QString m_description;
};

} // namespace brivello
