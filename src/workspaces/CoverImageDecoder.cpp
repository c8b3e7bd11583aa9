#include "CoverImageDecoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <libheif/heif.h>
#include <memory>

namespace brivello {

namespace {

QImage decodeHEIF(const QByteArray &bytes)
{
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                        heif_context_free);
    if (!context || heif_context_read_from_memory_without_copy(
                        context.get(), bytes.constData(), size_t(bytes.size()), nullptr)
                            .code != heif_error_Ok)
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle(
        rawHandle, heif_image_handle_release);
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0 || width > CoverImageDecoder::kMaxSide ||
        height > CoverImageDecoder::kMaxSide)
        return {};
    heif_image *rawImage = nullptr;
    if (heif_decode_image(
            handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)
            .code != heif_error_Ok)
        return {};
    std::unique_ptr<heif_image, decltype(&heif_image_release)> image(rawImage, heif_image_release);
    int stride = 0;
    const uint8_t *pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!pixels)
        return {};
    return QImage(pixels, width, height, stride, QImage::Format_RGBA8888).copy();
}

} // namespace

bool CoverImageDecoder::isHEIF(const QByteArray &bytes)
{
    if (bytes.size() < 12 || bytes.mid(4, 4) != "ftyp")
        return false;
    static const QByteArray kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "mif1", "msf1"};
    const QByteArray brand = bytes.mid(8, 4);
    for (const QByteArray &known : kBrands) {
        if (brand == known)
            return true;
    }
    return false;
}

QImage CoverImageDecoder::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    if (isHEIF(bytes))
        return decodeHEIF(bytes);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide)
        return {};
    return reader.read();
}

bool CoverImageDecoder::hasImageExtension(const QUrl &url)
{
    static const QStringList kExtensions = {QStringLiteral("png"),
                                            QStringLiteral("jpg"),
                                            QStringLiteral("jpeg"),
                                            QStringLiteral("tiff"),
                                            QStringLiteral("heic")};
    return kExtensions.contains(QFileInfo(url.path()).suffix().toLower());
}

QByteArray CoverImageDecoder::embeddable(const QByteArray &bytes, const QImage &decoded)
{
    if (!isHEIF(bytes))
        return bytes;
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    decoded.convertToFormat(QImage::Format_RGB888).save(&buffer, "JPEG", 92);
    return jpeg;
}

} // namespace brivello
