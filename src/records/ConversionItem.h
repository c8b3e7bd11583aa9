#pragma once

#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>

namespace brivello {

// One file in the MP3 converter queue.
struct ConversionItem
{
    struct Status
    {
        enum Kind { waiting, converting, completed, failed };
        Kind kind = waiting;
        QString message; // only for `failed`: the text's key, looked up when shown

        static Status failure(const QString &text) { return {failed, text}; }
        bool operator==(const Status &other) const
        {
            return kind == other.kind && (kind != failed || message == other.message);
        }
    };

    QUuid id;
    QUrl url;
    Status status;
    std::optional<QUrl> outputURL;
};

} // namespace brivello
