#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <qcoro/qcorotask.h>
#include <stdexcept>
#include <stop_token>

namespace brivello {

// Converts one audio file to a constant-bit-rate MP3 beside it by running ffmpeg into a hidden
// temporary file that gets the final name only when finished. The child runs from the main
// thread's event loop and is awaited, never waited on; it dies with the application. Stateless.
class MP3ConversionService
{
public:
    class ConversionError : public std::exception
    {
    public:
        enum Kind { conversionFailed, converterUnavailable };

        static ConversionError failed(const QString &output) { return {conversionFailed, output}; }
        static ConversionError unavailable() { return {converterUnavailable, {}}; }

        Kind kind() const { return m_kind; }
        QString output() const { return m_output; }
        QString errorDescription() const;
        // The description's text key (ffmpeg's own output is its own key), for a message
        // kept and shown later in the language of that moment.
        QString descriptionKey() const;
        const char *what() const noexcept override { return "MP3 conversion failed"; }

    private:
        ConversionError(Kind kind, QString output)
            : m_kind(kind)
            , m_output(std::move(output))
        {}
        Kind m_kind;
        QString m_output;
    };

    // The new file's address. Throws ConversionError, or ProcessLaunchError when ffmpeg cannot
    // be started. A failed conversion leaves no output file behind. A stop request kills and
    // reaps ffmpeg and removes its partial output at once; the task then throws
    // OperationCancelled, if it resumes at all.
    static QCoro::Task<QUrl> convert(QUrl source, int bitrateKbps, std::stop_token stop = {});

    static QUrl uniqueDestination(const QUrl &source);
    static QStringList
    ffmpegArguments(const QString &source, int bitrateKbps, const QString &output);
};

} // namespace brivello
