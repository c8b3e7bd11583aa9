#pragma once

#include "AVFormatInput.h"

#include <QString>
#include <memory>

namespace brivello {

class FileByteSource;

// Opens an audio file for its duration, bit rate and sample size only: with the demuxer the
// extension names when the leading bytes agree (else probing, as AVFormatInput::open does), and
// with the stream analysis only where the header leaves one of the three to it. Where it is
// skipped, the values the analysis would have settled are filled in from the header, so all
// three come out as after a full open. Stateless; any thread.
class MetadataInput
{
public:
    static std::unique_ptr<AVFormatInput> open(const QString &path);
    // The same over a file the caller holds open.
    static std::unique_ptr<AVFormatInput> open(const FileByteSource &file, const QString &path);
};

} // namespace brivello
