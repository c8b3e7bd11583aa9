#pragma once

#include <QString>
#include <exception>

namespace brivello {

// Why an envelope could not be extracted. `fileUnreadable` stands for the audio reader's own
// error when the in-process fallback cannot open or decode the file.
class AudioProcessingError : public std::exception
{
public:
    enum class Kind { bufferCreationFailed, channelDataMissing, decodingFailed, fileUnreadable };

    explicit AudioProcessingError(Kind kind)
        : m_kind(kind)
    {}
    Kind kind() const { return m_kind; }
    QString errorDescription() const
    {
        return QStringLiteral("AudioProcessingError %1").arg(static_cast<int>(m_kind));
    }
    const char *what() const noexcept override { return "audio processing failed"; }

private:
    Kind m_kind;
};

} // namespace brivello
