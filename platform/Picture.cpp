// Format recognition looks only at headers and at the sizes they declare: a
// file whose declared parts do not fit in its bytes is refused, so a truncated
// or mislabelled file never becomes a picture resource.
#include <orvanespt/platform/Picture.h>

#include <cstdint>
#include <optional>

namespace orvane {
namespace {

class Reader {
public:
    explicit Reader(std::string_view b) : b_(b) {}
    std::size_t size() const { return b_.size(); }
    bool Has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    bool Is(std::size_t at, std::string_view s) const { return Has(at, s.size()) && b_.substr(at, s.size()) == s; }
    std::uint32_t U8(std::size_t at) const { return static_cast<unsigned char>(b_[at]); }
    std::uint32_t Le16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t Le32(std::size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
    std::uint32_t Be16(std::size_t at) const { return U8(at) << 8 | U8(at + 1); }
    std::uint32_t Be32(std::size_t at) const { return Be16(at) << 16 | Be16(at + 2); }

private:
    std::string_view b_;
};

bool IsBmp(const Reader& b) {
    if (!b.Is(0, "BM") || !b.Has(0, 26)) return false;
    std::uint32_t file_size = b.Le32(2), offset = b.Le32(10), header = b.Le32(14);
    bool known_header =
        header == 12 || header == 40 || header == 52 || header == 56 || header == 64 || header == 108 || header == 124;
    if (!known_header || !b.Has(14, header)) return false;
    if (file_size != 0 && file_size > b.size()) return false;
    return offset >= 14 + header && offset <= b.size();
}

bool IsIcoOrCur(const Reader& b) {
    if (!b.Has(0, 6) || b.Le16(0) != 0 || (b.Le16(2) != 1 && b.Le16(2) != 2)) return false;
    std::size_t count = b.Le16(4);
    std::size_t table_end = 6 + 16 * count;
    if (count == 0 || !b.Has(0, table_end)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t entry = 6 + 16 * i;
        std::uint32_t len = b.Le32(entry + 8), at = b.Le32(entry + 12);
        if (len == 0 || at < table_end || !b.Has(at, len)) return false;
    }
    return true;
}

// Walks the chunks up to IEND; every chunk must fit.
bool IsPng(const Reader& b) {
    if (!b.Is(0, "\x89PNG\r\n\x1A\n") || !b.Is(12, "IHDR") || b.Be32(8) != 13) return false;
    std::size_t at = 8;
    while (b.Has(at, 12)) {
        std::size_t len = b.Be32(at);
        if (!b.Has(at + 8, len) || !b.Has(at + 8 + len, 4)) return false;
        if (b.Is(at + 4, "IEND")) return true;
        at += 12 + len;
    }
    return false;
}

// Walks the marker segments up to the start of scan, which needs a frame
// header before it.
bool IsJpeg(const Reader& b) {
    if (!b.Is(0, "\xFF\xD8\xFF")) return false;
    std::size_t at = 2;
    bool frame = false;
    while (b.Has(at, 4)) {
        if (b.U8(at) != 0xFF) return false;
        std::uint32_t marker = b.U8(at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        std::size_t len = b.Be16(at + 2);
        if (len < 2 || !b.Has(at + 2, len)) return false;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) frame = true;
        if (marker == 0xDA) return frame;
        at += 2 + len;
    }
    return false;
}

bool IsGif(const Reader& b) {
    if (!(b.Is(0, "GIF87a") || b.Is(0, "GIF89a")) || !b.Has(0, 14)) return false;
    std::uint32_t flags = b.U8(10);
    std::size_t after = 13 + ((flags & 0x80) ? 3u * (2u << (flags & 7)) : 0u);
    return b.Has(0, after + 1);
}

// The 18-byte metafile header at `at`: memory or disk metafile, header size 9
// words, a known version and a declared size (in words) that fits.
bool IsWmfHeader(const Reader& b, std::size_t at) {
    if (!b.Has(at, 18)) return false;
    std::uint32_t type = b.Le16(at), header_words = b.Le16(at + 2), version = b.Le16(at + 4);
    std::uint64_t size_bytes = std::uint64_t(b.Le32(at + 6)) * 2;
    if ((type != 1 && type != 2) || header_words != 9 || (version != 0x0100 && version != 0x0300)) return false;
    return size_bytes >= 18 && size_bytes <= b.size() - at;
}

bool IsWmf(const Reader& b) {
    if (b.Has(0, 4) && b.Le32(0) == 0x9AC6CDD7u) return IsWmfHeader(b, 22);
    return IsWmfHeader(b, 0);
}

bool IsEmf(const Reader& b) {
    if (!b.Has(0, 88) || b.Le32(0) != 1 || !b.Is(40, " EMF")) return false;
    std::uint32_t header = b.Le32(4), total = b.Le32(48);
    return header >= 88 && total >= header && total <= b.size();
}

std::optional<PictureFormat> Recognise(const Reader& b) {
    if (IsBmp(b)) return PictureFormat::Bmp;
    if (IsPng(b)) return PictureFormat::Png;
    if (IsJpeg(b)) return PictureFormat::Jpeg;
    if (IsGif(b)) return PictureFormat::Gif;
    if (IsEmf(b)) return PictureFormat::Emf;
    if (IsWmf(b)) return PictureFormat::Wmf;
    if (IsIcoOrCur(b)) return PictureFormat::Ico;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<Picture> Picture::FromBytes(std::string bytes) {
    auto format = Recognise(Reader(bytes));
    if (!format) return nullptr;
    return std::shared_ptr<Picture>(new Picture(std::move(bytes), *format));
}

std::string_view Picture::Extension() const {
    switch (format_) {
        case PictureFormat::Bmp:
            return "bmp";
        case PictureFormat::Ico:
            return "ico";
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Jpeg:
            return "jpg";
        case PictureFormat::Gif:
            return "gif";
        case PictureFormat::Wmf:
            return "wmf";
        case PictureFormat::Emf:
            return "emf";
    }
    return {};
}

}  // namespace orvane
