#include "CoverArtImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <libheif/heif.h>
#include <memory>

namespace brivello {

namespace {
constexpr int kJPEGQuality = 92;
}

bool CoverArtImage::looksLikePNG(const QByteArray &bytes)
{
    return bytes.startsWith(QByteArrayLiteral("\x89PNG"));
}

// A PNG that does not decode is refused: embedding it would hand every player a broken cover.
std::optional<QByteArray> CoverArtImage::normalizedArtworkData(const QByteArray &bytes)
{
    const QImage image = decode(bytes);
    if (image.isNull())
        return std::nullopt;
    if (looksLikePNG(bytes))
        return bytes;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJPEGQuality);
    // JPEG has no alpha: flatten onto white rather than letting black show through.
    QImage opaque = image;
    if (image.hasAlphaChannel()) {
        opaque = QImage(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    if (!writer.write(opaque) || jpeg.isEmpty())
        return std::nullopt;
    return jpeg;
}

QImage CoverArtImage::decode(const QByteArray &bytes)
{
    if (bytes.size() < 4)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() && !looksLikePNG(bytes))
        image = decodeHEIF(bytes);
    return image;
}

// libheif applies the rotation and mirroring the file asks for while decoding.
QImage CoverArtImage::decodeHEIF(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    if (heif_check_filetype(data, static_cast<int>(bytes.size())) != heif_filetype_yes_supported)
        return {};
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                        &heif_context_free);
    if (heif_context_read_from_memory_without_copy(context.get(), data, bytes.size(), nullptr)
            .code != heif_error_Ok)
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle(
        rawHandle, &heif_image_handle_release);
    heif_image *rawImage = nullptr;
    if (heif_decode_image(
            handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)
            .code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image, decltype(&heif_image_release)> decoded(rawImage,
                                                                       &heif_image_release);
    int stride = 0;
    const uint8_t *plane =
        heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(decoded.get(), heif_channel_interleaved);
    if (!plane || width <= 0 || height <= 0)
        return {};
    return QImage(plane, width, height, stride, QImage::Format_RGBA8888).copy();
}

} // namespace brivello
