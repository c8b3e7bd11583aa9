#include "ContainerHint.h"

#include "Id3v2Tag.h"
#include "platform/LocalFile.h"

#include <QFile>

namespace brivello {

namespace {

bool mpegAudioHeader(const QByteArray &lead)
{
    if (lead.size() < 4)
        return false;
    const auto b1 = static_cast<unsigned char>(lead[1]);
    const auto b2 = static_cast<unsigned char>(lead[2]);
    const int version = (b1 >> 3) & 3;
    const int layer = (b1 >> 1) & 3;
    const int index = b2 >> 4;
    const int rate = (b2 >> 2) & 3;
    return static_cast<unsigned char>(lead[0]) == 0xFF && b1 >= 0xE0 && version != 1 &&
           layer != 0 && index != 0 && index != 15 && rate != 3;
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

QByteArray ContainerHint::leadBytes(const QString &path)
{
    QFile file;
    if (!LocalFile::open(file, path, QIODevice::ReadOnly))
        return {};
    QByteArray lead = file.read(kLeadSize);
    if (lead.size() >= Id3v2Tag::kHeaderSize && lead.startsWith("ID3")) {
        const qint64 tagLength = Id3v2Tag::totalLength(lead.left(Id3v2Tag::kHeaderSize));
        if (tagLength <= 0 || !file.seek(tagLength))
            return {};
        lead = file.read(kLeadSize);
    }
    return lead;
}

} // namespace brivello
