// Picture: an image resource kept as the exact bytes of the file it came
// from, with its format recognised from the content. It is never decoded or
// re-encoded, so saving writes back what was loaded.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// The picture formats a resource may hold.
enum class PictureFormat {
    Bmp,   ///< Windows bitmap
    Ico,   ///< icon or cursor
    Png,   ///< PNG
    Jpeg,  ///< JPEG
    Gif,   ///< GIF
    Wmf,   ///< Windows metafile (placeable or plain)
    Emf,   ///< enhanced metafile
};

/// A picture resource: its bytes as read and the format they were recognised as.
class ORVANE_API Picture : public HostObject {
public:
    /// Recognises the bytes; null when they are not a picture of a known
    /// format or are too short to be one.
    static std::shared_ptr<Picture> FromBytes(std::string bytes);

    /// The picture's bytes, as read.
    const std::string& Bytes() const { return bytes_; }
    /// The format the bytes were recognised as.
    PictureFormat Format() const { return format_; }
    /// Lower-case file extension of the format ("bmp", "png", ...).
    std::string_view Extension() const;

private:
    Picture(std::string bytes, PictureFormat format) : bytes_(std::move(bytes)), format_(format) {}
    std::string bytes_;
    PictureFormat format_;
};

}  // namespace orvane
