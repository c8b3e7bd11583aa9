#pragma once

#include <QString>
#include <exception>

namespace brivello {

// What a tag rewrite reports. Each case carries one text (an extension or a file name) and maps
// to one Russian message. Thrown by the writers; copied across threads by value.
class WriteError : public std::exception
{
public:
    enum class Kind {
        unsupportedFormat,         // payload: extension
        rewriteFailed,             // payload: extension
        artworkVerificationFailed, // payload: file name
        corruptFile,               // payload: file name
        nothingToWrite,
        fileNotFound,
        permissionDenied,
        noSpace,
        tooLarge,
        ioFailed,
    };

    explicit WriteError(Kind kind, QString payload = {});

    static WriteError unsupportedFormat(const QString &extension)
    {
        return WriteError(Kind::unsupportedFormat, extension);
    }
    static WriteError rewriteFailed(const QString &extension)
    {
        return WriteError(Kind::rewriteFailed, extension);
    }
    static WriteError artworkVerificationFailed(const QString &fileName)
    {
        return WriteError(Kind::artworkVerificationFailed, fileName);
    }
    // Parsers do not know the file name; the writer fills it in on the way out.
    static WriteError corrupt() { return WriteError(Kind::corruptFile); }
    static WriteError tooLarge() { return WriteError(Kind::tooLarge); }

    Kind kind() const { return m_kind; }
    const QString &payload() const { return m_payload; }
    WriteError withFileName(const QString &fileName) const;

    // The file did not exist; the store passes such failures over silently.
    bool isFileNotFound() const { return m_kind == Kind::fileNotFound; }

    // The localised message, in the current interface language.
    QString errorDescription() const;
    const char *what() const noexcept override { return "brivello::WriteError"; }

private:
    Kind m_kind;
    QString m_payload;
};

} // namespace brivello
