#include "ContainerHint.h"

#include "ByteSource.h"
#include "Id3v2Tag.h"
#include "MP3Header.h"
#include "WriteError.h"

#include <algorithm>

namespace brivello {

namespace {

// A frame header at the very start, with a usable sample rate as the demuxer requires.
bool mpegAudioHeader(const QByteArray &lead)
{
    const std::optional<MP3Header::Frame> frame = MP3Header::frame(lead, 0);
    return frame && frame->sampleRateIndex != 3;
}

bool riffWave(const QByteArray &lead)
{
    return lead.size() >= 12 && (lead.startsWith("RIFF") || lead.startsWith("RF64")) &&
           lead.mid(8, 4) == "WAVE";
}

bool formAiff(const QByteArray &lead)
{
    return lead.size() >= 12 && lead.startsWith("FORM") &&
           (lead.mid(8, 4) == "AIFF" || lead.mid(8, 4) == "AIFC");
}

} // namespace

ContainerHint::Hint ContainerHint::forFile(const QString &extension, const QByteArray &lead)
{
    const QString ext = extension.toLower();
    Hint hint;
    if (ext == QLatin1String("mp3") && mpegAudioHeader(lead)) {
        hint.demuxer = "mp3";
        // The side information before it is at most 32 bytes.
        hint.mp3InfoFrame = lead.indexOf("Info") >= 4 && lead.indexOf("Info") <= 4 + 32;
    } else if (ext == QLatin1String("flac") && lead.startsWith("fLaC")) {
        hint.demuxer = "flac";
    } else if (ext == QLatin1String("wav") && riffWave(lead)) {
        hint.demuxer = "wav";
    } else if ((ext == QLatin1String("aif") || ext == QLatin1String("aiff")) && formAiff(lead)) {
        hint.demuxer = "aiff";
    } else if (ext == QLatin1String("m4a") && lead.mid(4, 4) == "ftyp") {
        hint.demuxer = "mov";
    }
    return hint;
}

QByteArray ContainerHint::leadBytes(const ByteSource &source)
{
    // Past the end there is nothing, as a file read there gives nothing.
    const auto readAt = [&source](qint64 offset) {
        return offset < source.size()
                   ? source.read(offset, std::min(kLeadSize, source.size() - offset))
                   : QByteArray();
    };
    try {
        QByteArray lead = readAt(0);
        if (lead.size() >= Id3v2Tag::kHeaderSize && lead.startsWith("ID3")) {
            const qint64 tagLength = Id3v2Tag::totalLength(lead.left(Id3v2Tag::kHeaderSize));
            lead = tagLength > 0 ? readAt(tagLength) : QByteArray();
        }
        return lead;
    } catch (const WriteError &) {
        return {};
    }
}

} // namespace brivello
