// XML texts in the encodings the readers read, made with glibc's iconv (a
// converter apart from the readers' own tables), for the readers' tests.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <string>
#include <vector>

#include <orvanespt/platform/Text.h>

namespace orvane::testing {

// An encoding as a declaration names it, iconv's name for it and the
// byte-order mark written before the text.
struct XmlEncoding {
    std::string declared, iconvName, mark;
};

// Every encoding the readers read, and other names of some; plain UTF-8
// first.
inline std::vector<XmlEncoding> ReadEncodings() {
    std::vector<XmlEncoding> all = {{"UTF-8", "UTF-8", ""},
                                    {"UTF-8", "UTF-8", "\xEF\xBB\xBF"},
                                    {"UTF-16", "UTF-16LE", "\xFF\xFE"},
                                    {"UTF-16", "UTF-16BE", "\xFE\xFF"},
                                    {"cp1252", "WINDOWS-1252", ""},
                                    {"latin9", "ISO-8859-15", ""},
                                    {"iso8859_2", "ISO-8859-2", ""}};
    for (int n = 1250; n <= 1258; ++n)
        all.push_back({"windows-" + std::to_string(n), "WINDOWS-" + std::to_string(n), ""});
    for (int n = 1; n <= 16; ++n)
        if (n != 12) all.push_back({"ISO-8859-" + std::to_string(n), "ISO-8859-" + std::to_string(n), ""});
    return all;
}

// One character converted by cd, or "" when it cannot be; with oneByte, also
// when it takes more than one byte (iconv writes some characters of the 8-bit
// encodings as a letter and a combining mark).
inline std::string ConvertOne(iconv_t cd, std::string utf8, bool oneByte) {
    char out[8];
    char* in = utf8.data();
    char* to = out;
    std::size_t inLeft = utf8.size(), outLeft = sizeof out;
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &to, &outLeft) != static_cast<std::size_t>(-1);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const std::size_t n = sizeof out - outLeft;
    return ok && (!oneByte || n == 1) ? std::string(out, n) : std::string();
}

// A UTF-8 text that declares encoding="UTF-8", in the encoding: the mark
// first, the declaration naming it, every character it holds written in it
// and any other as a character reference. Its characters beyond ASCII must be
// in attribute values or contents.
inline std::string Encode(const std::string& utf8, const XmlEncoding& e) {
    std::string text = utf8;
    const std::size_t at = text.find("encoding=\"UTF-8\"");
    if (at != std::string::npos) text.replace(at + 10, 5, e.declared);
    iconv_t cd = iconv_open(e.iconvName.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    const bool utf16 = e.iconvName.rfind("UTF-16", 0) == 0;
    std::string out = e.mark;
    for (char32_t cp : text::DecodeUtf8(text)) {
        std::string one;
        text::AppendUtf8(one, cp);
        if (cp < 0x80 && !utf16) {
            out += one;
            continue;
        }
        const std::string encoded = ConvertOne(cd, one, !utf16);
        out += encoded.empty() ? "&#" + std::to_string(static_cast<unsigned>(cp)) + ";" : encoded;
    }
    iconv_close(cd);
    return out;
}

// Bytes in the encoding, without a byte-order mark, as UTF-8; "" when they
// do not convert.
inline std::string DecodeAsUtf8(std::string bytes, const XmlEncoding& e) {
    iconv_t cd = iconv_open("UTF-8", e.iconvName.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = bytes.data();
    char* to = out.data();
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &to, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return ok ? out : std::string();
}

// The characters of bytes 0x80..0xFF of every 8-bit encoding read, in UTF-8,
// each once.
inline std::string EveryEightBitCharacter() {
    std::vector<char32_t> seen;
    std::string all;
    for (const auto& e : ReadEncodings()) {
        if (e.iconvName.rfind("UTF-", 0) == 0) continue;
        iconv_t cd = iconv_open("UTF-8", e.iconvName.c_str());
        for (int b = 0x80; b <= 0xFF; ++b) {
            const std::string decoded = ConvertOne(cd, std::string(1, static_cast<char>(b)), false);
            for (char32_t cp : text::DecodeUtf8(decoded)) {
                if (std::find(seen.begin(), seen.end(), cp) != seen.end()) continue;
                seen.push_back(cp);
                text::AppendUtf8(all, cp);
            }
        }
        iconv_close(cd);
    }
    return all;
}

}  // namespace orvane::testing
