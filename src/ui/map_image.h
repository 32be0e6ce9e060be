#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <string>

#include <QtGui/QColor>
#include <QtGui/QImage>

#include "maps/canvas.h"
#include "maps/export.h"

namespace korval::ui {

// A Windows colour value (0x00BBGGRR) as a Qt colour. A value with the high bit set names a
// system colour by its index in the low byte and is shown in the classic Windows scheme; any
// other high byte (palette references) is ignored.
QColor ToQColor(Colour colour);

// What decoding one background file came to.
struct DecodedImage {
    ImageLoad status = ImageLoad::MissingFile;
    QImage image;  // RGB32, or premultiplied ARGB32 when the file has transparency
};

// Decodes a JPEG, BMP or GIF file (the kind is read from the content, not the name). No file,
// or a file that holds no picture Qt can read, is MissingFile: the map then has no usable image
// and the user is sent to choose one. A picture too large to hold in memory is OutOfResources.
DecodedImage DecodeImageFile(const std::string& path);

// Decoded background images, each kept while its file's size and modification time stay as
// they were when it was decoded. Every Load looks at the file (one stat), so a map redrawn after
// its file was replaced shows the new picture. Failures are not kept: they are tried again.
class BackgroundCache {
public:
    // Keeps up to `capacity` images, the least recently used leaving first; 0 keeps none, so
    // every Load decodes the file again.
    explicit BackgroundCache(std::size_t capacity = 3) : capacity_(capacity) {}

    DecodedImage Load(const std::string& path);

    // Files decoded so far (loads that were not answered from the cache).
    int Decodes() const { return decodes_; }
    void Clear() { entries_.clear(); }

private:
    struct Entry {
        std::string path;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type mtime;
        QImage image;
    };
    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently used first
    int decodes_ = 0;
};

// Error numbers and codes of the JPEG writer. The number is the one an error-log entry of the
// failed save carries; the code follows the fault's text.
inline constexpr int kJpegFault = -2147221504 + 1;  // an application-defined error
enum JpegCode : int {
    JpegUnknown = 0,         // the encoder failed without saying why
    JpegDevice = 1,          // the file could not be created or written
    JpegUnsupported = 2,     // no JPEG encoder available
    JpegInvalidImage = 3,    // the section holds no pixels
    JpegInvalidQuality = 4,  // quality outside 1..100
};

// Copies a picture into a fresh 24-bit section of the same size (blue-green-red, rows padded to
// 4 bytes), as a saved map is copied before encoding. Faults of DibSection::Create (error 5 for
// an empty picture or a side above 32767, error 7 without memory).
void CreateFromPicture(DibSection& dib, const QImage& picture);

// Writes the section to `file` as a baseline JPEG of the given quality (1..100), reading the
// pixels from the section's padded rows. On failure raises kJpegFault with "Failed to
// initialise the IJL library: " + code (no encoder, bad quality) or "Failed to save to JPG " +
// code (anything else); an existing file is then left as it was.
void SaveJPG(const DibSection& dib, const std::string& file, int quality);

// What Save Map does with a map surface: copy it into a section, save that at quality 90.
void SaveMapImage(const QImage& surface, const std::string& file);

}  // namespace korval::ui
