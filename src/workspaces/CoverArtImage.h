#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace brivello {

// Turns a chosen image file's bytes into the bytes a cover is embedded as: a PNG stays as it
// is, anything else becomes a JPEG at quality 92 with its EXIF orientation applied. HEIF/HEIC
// decodes through libheif, since Qt has no plugin for it here. Pure; any thread.
class CoverArtImage
{
public:
    static std::optional<QByteArray> normalizedArtworkData(const QByteArray &bytes);
    static bool looksLikePNG(const QByteArray &bytes);
    static QImage decode(const QByteArray &bytes);

private:
    static QImage decodeHEIF(const QByteArray &bytes);
};

} // namespace brivello
