#include <orvanespt/platform/Picture.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace orvane {
namespace {

std::string Le16(std::uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
std::string Le32(std::uint32_t v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}
std::string Be16(std::uint32_t v) {
    return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}
std::string Be32(std::uint32_t v) {
    return Be16(v >> 16) + Be16(v & 0xFFFF);
}
std::string Zeros(std::size_t n) {
    return std::string(n, '\0');
}

// A 1x1 24-bit bitmap.
std::string Bmp() {
    std::string info = Le32(40) + Le32(1) + Le32(1) + Le16(1) + Le16(24) + Le32(0) + Le32(4) + Zeros(16);
    return "BM" + Le32(58) + Le32(0) + Le32(54) + info + std::string("\x10\x20\x30\x00", 4);
}

std::string PngChunk(std::string_view type, const std::string& data) {
    return Be32(static_cast<std::uint32_t>(data.size())) + std::string(type) + data + Be32(0);
}
std::string Png() {
    return std::string("\x89PNG\r\n\x1A\n", 8) +
           PngChunk("IHDR", Be32(1) + Be32(1) + std::string("\x08\x02\0\0\0", 5)) + PngChunk("IDAT", "xyz") +
           PngChunk("IEND", "");
}

std::string Jpeg() {
    std::string sof = std::string("\xFF\xC0", 2) + Be16(11) + std::string("\x08\0\x01\0\x01\x01\x01\x11\0", 9);
    std::string sos = std::string("\xFF\xDA", 2) + Be16(8) + std::string("\x01\x01\0\0\x3F\0", 6);
    return std::string("\xFF\xD8", 2) + std::string("\xFF\xE0", 2) + Be16(4) + "JF" + sof + sos + "data\xFF\xD9";
}

std::string Gif() {
    // Global colour table of 2 entries (flag 0x80, size bits 0).
    return "GIF89a" + Le16(1) + Le16(1) + std::string("\x80\0\0", 3) + Zeros(6) + ";";
}

std::string Ico(std::uint16_t kind = 1) {
    std::string image = Zeros(40);
    return Le16(0) + Le16(kind) + Le16(1) + std::string("\x01\x01\0\0", 4) + Le16(1) + Le16(32) + Le32(40) + Le32(22) +
           image;
}

std::string WmfHeader(std::uint32_t words) {
    return Le16(1) + Le16(9) + Le16(0x0300) + Le32(words) + Le16(0) + Le32(3) + Le16(0);
}
std::string PlainWmf() {
    return WmfHeader(12) + Le32(3) + Le16(0);
}  // header + the end record (3 words)
std::string PlaceableWmf() {
    return Le32(0x9AC6CDD7u) + Zeros(18) + PlainWmf();
}

std::string Emf() {
    std::string h = Le32(1) + Le32(88) + Zeros(32) + " EMF" + Le32(0x10000) + Le32(108) + Zeros(36);
    return h + Le32(14) + Le32(20) + Zeros(12);  // header + EOF record
}

struct Case {
    const char* name;
    std::string bytes;
    PictureFormat format;
    const char* ext;
};

TEST(Picture, RecognisesEveryFormatKeepingTheBytesAndRefusesTruncatedFilesAndLookalikes) {
    const Case cases[] = {
        {"bmp", Bmp(), PictureFormat::Bmp, "bmp"},      {"png", Png(), PictureFormat::Png, "png"},
        {"jpeg", Jpeg(), PictureFormat::Jpeg, "jpg"},   {"gif", Gif(), PictureFormat::Gif, "gif"},
        {"ico", Ico(1), PictureFormat::Ico, "ico"},     {"cur", Ico(2), PictureFormat::Ico, "ico"},
        {"wmf", PlainWmf(), PictureFormat::Wmf, "wmf"}, {"placeable", PlaceableWmf(), PictureFormat::Wmf, "wmf"},
        {"emf", Emf(), PictureFormat::Emf, "emf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = Picture::FromBytes(c.bytes);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Format(), c.format);
        EXPECT_EQ(p->Extension(), c.ext);
        EXPECT_EQ(p->Bytes(), c.bytes);
    }
    const std::pair<const char*, std::string> bad[] = {
        {"empty", ""},
        {"text", "La imágen nos es válida."},
        {"bmp cut in header", Bmp().substr(0, 20)},
        {"bmp declaring more than it has", Bmp().substr(0, 56)},
        {"png without IEND", Png().substr(0, Png().size() - 12)},
        {"png chunk longer than file", Png().substr(0, 40)},
        {"jpeg magic only", std::string("\xFF\xD8\xFF", 3)},
        {"jpeg without frame", std::string("\xFF\xD8\xFF\xDA", 4) + Be16(8) + Zeros(6)},
        {"gif without colour table", Gif().substr(0, 14)},
        {"ico entry beyond end", Ico().substr(0, 40)},
        {"ico with no images", Le16(0) + Le16(1) + Le16(0)},
        {"wmf declaring more words", WmfHeader(500) + Le32(3) + Le16(0)},
        {"placeable without metafile", Le32(0x9AC6CDD7u) + Zeros(18)},
        {"emf declaring more bytes", Emf().substr(0, 100)},
        {"zip", std::string("PK\x03\x04", 4) + Zeros(40)},
    };
    for (const auto& [name, bytes] : bad) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Picture::FromBytes(bytes), nullptr);
    }
}

}  // namespace
}  // namespace orvane
