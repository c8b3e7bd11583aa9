#pragma once

#include <QByteArray>
#include <QString>

namespace brivello::test {

// Drives one tag parser with arbitrary bytes, for the fuzz targets and their regression tests.
// A parser may refuse the input with a WriteError; beyond that, what it produces must be
// accepted again and (for FLAC, WAV and AIFF) come out unchanged from a second rewrite.
class TagParserHarness
{
public:
    enum class Container { id3, mp3, flac, wav, aiff };

    static bool containerFromName(const QString &name, Container &container);
    // Empty when every invariant held; otherwise what broke.
    static QString run(Container container, const QByteArray &input);
};

} // namespace brivello::test
