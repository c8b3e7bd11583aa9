#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUrl>

namespace brivello {

// Turns a chosen cover file's bytes into an image for the preview. Qt's readers cover PNG,
// JPEG and TIFF; HEIC goes through libheif, as Debian's Qt has no HEIF plugin. Images past
// kMaxSide on a side are refused rather than decoded into hundreds of megabytes. Any thread.
class CoverImageDecoder
{
public:
    static constexpr int kMaxSide = 12000;

    // A null image when the bytes are not a decodable image of an allowed size.
    static QImage decode(const QByteArray &bytes);
    static bool isHEIF(const QByteArray &bytes);
    // The five extensions a drop may offer as a cover, in any case.
    static bool hasImageExtension(const QUrl &url);
    // The bytes the store writes: JPEG for HEIC (which tag readers do not show), else as read.
    static QByteArray embeddable(const QByteArray &bytes, const QImage &decoded);
};

} // namespace brivello
