#include "ui/map_image.h"

#include <new>
#include <string>
#include <system_error>

#include <QtCore/QByteArray>
#include <QtCore/QFile>
#include <QtCore/QSaveFile>
#include <QtGui/QImageReader>
#include <QtGui/QImageWriter>

#include "text/fault.h"

namespace korval::ui {
namespace {

// The largest decoded picture, in MiB (4 bytes a pixel): 16384 x 16384 fits, larger does not.
constexpr int kDecodeLimitMiB = 1024;

// GetSysColor of the classic Windows scheme, indices 0 to 24 (scroll bar .. tooltip back).
constexpr QRgb kSystemColours[] = {
    qRgb(212, 208, 200), qRgb(58, 110, 165),  qRgb(10, 36, 106),   qRgb(128, 128, 128), qRgb(212, 208, 200),
    qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(0, 0, 0),       qRgb(0, 0, 0),       qRgb(255, 255, 255),
    qRgb(212, 208, 200), qRgb(212, 208, 200), qRgb(128, 128, 128), qRgb(10, 36, 106),   qRgb(255, 255, 255),
    qRgb(212, 208, 200), qRgb(128, 128, 128), qRgb(128, 128, 128), qRgb(0, 0, 0),       qRgb(212, 208, 200),
    qRgb(255, 255, 255), qRgb(64, 64, 64),    qRgb(212, 208, 200), qRgb(0, 0, 0),       qRgb(255, 255, 225),
};

QString FileName(const std::string& path)
{
    // File names are bytes in the local encoding; decodeName is what QFile encodes back.
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool TooLarge(const QSize& size)
{
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    return bytes > qint64(kDecodeLimitMiB) * 1024 * 1024;
}

[[noreturn]] void FailSave(int code)
{
    Raise(kJpegFault, "Failed to save to JPG " + std::to_string(code));
}

}  // namespace

QColor ToQColor(Colour colour)
{
    if (colour & 0x80000000u) {
        const std::uint32_t index = colour & 0xFFu;
        if (index < std::size(kSystemColours)) return QColor(kSystemColours[index]);
        return QColor(0, 0, 0);
    }
    return QColor(int(colour & 0xFFu), int((colour >> 8) & 0xFFu), int((colour >> 16) & 0xFFu));
}

DecodedImage DecodeImageFile(const std::string& path)
{
    DecodedImage out;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(std::filesystem::path(path), ec)) return out;
    try {
        QFile file(FileName(path));
        if (!file.open(QIODevice::ReadOnly)) return out;
        QImageReader reader(&file);
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(false);  // pictures are shown as stored, as the maps were drawn
        reader.setAllocationLimit(kDecodeLimitMiB);
        const QSize size = reader.size();
        if (size.isValid() && TooLarge(size)) {
            out.status = ImageLoad::OutOfResources;
            return out;
        }
        QImage image;
        if (!reader.read(&image) || image.isNull()) return out;
        const QImage::Format format =
            image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        if (image.format() != format) image.convertTo(format);
        if (image.isNull()) {
            out.status = ImageLoad::OutOfResources;
            return out;
        }
        out.image = std::move(image);
        out.status = ImageLoad::Ok;
    } catch (const std::bad_alloc&) {
        out = {ImageLoad::OutOfResources, QImage()};
    }
    return out;
}

DecodedImage BackgroundCache::Load(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path);
    auto it = entries_.begin();
    while (it != entries_.end() && it->path != path) ++it;

    std::uintmax_t size = 0;
    fs::file_time_type mtime;
    bool present = !path.empty() && fs::is_regular_file(p, ec);
    if (present) size = fs::file_size(p, ec);
    if (present && !ec) mtime = fs::last_write_time(p, ec);
    if (!present || ec) {
        if (it != entries_.end()) entries_.erase(it);
        return {};
    }
    if (it != entries_.end()) {
        if (it->size == size && it->mtime == mtime) {
            entries_.splice(entries_.begin(), entries_, it);
            return {ImageLoad::Ok, it->image};
        }
        entries_.erase(it);
    }

    ++decodes_;
    DecodedImage decoded = DecodeImageFile(path);
    if (decoded.status == ImageLoad::Ok && capacity_ > 0) {
        entries_.push_front(Entry{path, size, mtime, decoded.image});
        while (entries_.size() > capacity_) entries_.pop_back();
    }
    return decoded;
}

void CreateFromPicture(DibSection& dib, const QImage& picture)
{
    dib.Create(picture.width(), picture.height());
    const QImage rgb =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) Raise(err::OutOfMemory);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < rgb.width(); ++x) {
            *row++ = static_cast<std::uint8_t>(qBlue(src[x]));
            *row++ = static_cast<std::uint8_t>(qGreen(src[x]));
            *row++ = static_cast<std::uint8_t>(qRed(src[x]));
        }
    }
}

void SaveJPG(const DibSection& dib, const std::string& file, int quality)
{
    if (!QImageWriter::supportedImageFormats().contains(QByteArrayLiteral("jpg")))
        Raise(kJpegFault, "Failed to initialise the IJL library: " + std::to_string(JpegUnsupported));
    if (quality < 1 || quality > 100) FailSave(JpegInvalidQuality);
    const std::uint8_t* bits = dib.DIBSectionBitsPtr();
    if (!bits || dib.Width() < 1 || dib.Height() < 1) FailSave(JpegInvalidImage);

    // The encoder reads the section's own rows: blue-green-red bytes, each row padded to 4.
    const QImage rows(bits, dib.Width(), dib.Height(), static_cast<qsizetype>(dib.BytesPerScanLine()),
                      QImage::Format_BGR888);
    QSaveFile out(FileName(file));
    if (!out.open(QIODevice::WriteOnly)) FailSave(JpegDevice);
    QImageWriter writer(&out, QByteArrayLiteral("jpg"));
    writer.setQuality(quality);
    if (!writer.write(rows)) {
        const int code = static_cast<int>(writer.error());
        out.cancelWriting();
        FailSave(code);
    }
    if (!out.commit()) FailSave(JpegDevice);
}

void SaveMapImage(const QImage& surface, const std::string& file)
{
    DibSection dib;
    CreateFromPicture(dib, surface);
    SaveJPG(dib, file, 90);
}

}  // namespace korval::ui
