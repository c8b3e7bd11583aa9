#include "TagParserHarness.h"

#include "audiofiles/AiffTagRewriter.h"
#include "audiofiles/ByteSource.h"
#include "audiofiles/FlacTagRewriter.h"
#include "audiofiles/Id3FrameConverter.h"
#include "audiofiles/Id3v2Tag.h"
#include "audiofiles/Mp3TagRewriter.h"
#include "audiofiles/WavTagRewriter.h"
#include "audiofiles/WriteError.h"

#include <algorithm>

namespace brivello::test {

namespace {

using Planner = RewritePlan (*)(const ByteSource &, const AudioTags &, const ArtworkChange &);

AudioTags harnessTags()
{
    AudioTags tags;
    tags.title = QStringLiteral("Заголовок");
    tags.comment = QStringLiteral("c");
    tags.bpm = QStringLiteral("120");
    return tags;
}

// The first pass may refuse; a second pass over its output must give the same bytes.
QString rewriteTwice(Planner planner, const QByteArray &input, bool mustBeStable)
{
    const AudioTags tags = harnessTags();
    for (const ArtworkChange &artwork :
         {ArtworkChange::keep(), ArtworkChange::remove(), ArtworkChange::replace("\x89PNGpic")}) {
        QByteArray first;
        try {
            const MemoryByteSource source(input);
            first = planner(source, tags, artwork).materialize(source);
        } catch (const WriteError &) {
            continue;
        }
        if (!mustBeStable)
            continue;
        try {
            const MemoryByteSource again(first);
            const ArtworkChange keep = ArtworkChange::keep();
            if (planner(again, tags, keep).materialize(again) != first)
                return QStringLiteral("second rewrite changed the bytes");
        } catch (const WriteError &error) {
            return QStringLiteral("own output refused: kind %1").arg(int(error.kind()));
        }
    }
    return {};
}

// A tempo or key TXXX that the harness's own tempo contradicts: a write drops it on purpose.
bool droppedAsStale(const Id3Frame &frame)
{
    if (frame.id != "TXXX" || frame.payload.isEmpty())
        return false;
    qsizetype pos = 1;
    const QString description =
        Id3FrameConverter::readString(frame.payload, pos, quint8(frame.payload[0]));
    for (const char *name : {"BPM", "INITIALKEY", "KEY"})
        if (description.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Writes the harness's tags over `input` as the rewriters do (its frames are the old tag).
QByteArray buildOver(const QByteArray &input, std::vector<Id3Frame> &kept)
{
    const std::vector<Id3Frame> previous = Id3v2Tag::parseFrames(input);
    kept = Id3v2Tag::unmanaged(previous, false);
    return Id3v2Tag::build(harnessTags(), kept, std::nullopt, previous);
}

QString parseId3(const QByteArray &input)
{
    std::vector<Id3Frame> frames;
    QByteArray built;
    try {
        built = buildOver(input, frames);
    } catch (const WriteError &) {
        return {}; // refused, or too large
    }
    try {
        std::vector<Id3Frame> keptAgain;
        const QByteArray again = buildOver(built, keptAgain);
        for (const Id3Frame &frame : frames) {
            if (!droppedAsStale(frame) &&
                std::find(keptAgain.cbegin(), keptAgain.cend(), frame) == keptAgain.cend())
                return QStringLiteral("kept frames changed on the second pass");
        }
        if (again != built)
            return QStringLiteral("second rewrite changed the tag");
    } catch (const WriteError &) {
        return QStringLiteral("own tag refused");
    }
    return {};
}

} // namespace

bool TagParserHarness::containerFromName(const QString &name, Container &container)
{
    static const std::pair<const char *, Container> names[] = {{"id3", Container::id3},
                                                               {"mp3", Container::mp3},
                                                               {"flac", Container::flac},
                                                               {"wav", Container::wav},
                                                               {"aiff", Container::aiff}};
    for (const auto &[text, value] : names) {
        if (name == QLatin1String(text)) {
            container = value;
            return true;
        }
    }
    return false;
}

QString TagParserHarness::run(Container container, const QByteArray &input)
{
    switch (container) {
    case Container::id3:
        return parseId3(input);
    case Container::mp3: // a tag-like run of bytes in the audio may be read as a tag next time
        return rewriteTwice(&Mp3TagRewriter::plan, input, false);
    case Container::flac:
        return rewriteTwice(&FlacTagRewriter::plan, input, true);
    case Container::wav:
        return rewriteTwice(&WavTagRewriter::plan, input, true);
    case Container::aiff:
        return rewriteTwice(&AiffTagRewriter::plan, input, true);
    }
    return {};
}

} // namespace brivello::test
