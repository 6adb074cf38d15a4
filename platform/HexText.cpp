// Hex text conversions of printer command strings.
#include <orvanespt/platform/HexText.h>

#include <vector>

#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/detail/Texts.h>

namespace orvane {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Digit value of a hex character in either case; any other character is 0.
unsigned DigitValue(char32_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

void AppendCodeHex(std::string& out, char32_t cp) {
    char buf[8];
    int n = 0;
    do {
        buf[n++] = kHexDigits[cp & 0xF];
        cp >>= 4;
    } while (cp != 0);
    if (n < 2) buf[n++] = '0';
    while (n > 0) out += buf[--n];
}

bool IsIgnoredInHex(char32_t c) { return c == ' ' || c == '-' || c == '.' || c == '_' || c == '<' || c == '>'; }

// The hex characters HexToStr pairs up: ignored characters removed, "0" in
// front of an odd count.
std::vector<char32_t> HexCharacters(std::string_view hex) {
    std::vector<char32_t> cps = text::DecodeUtf8(text::TrimBlanks(hex));
    std::erase_if(cps, IsIgnoredInHex);
    if (cps.size() % 2 != 0) cps.insert(cps.begin(), U'0');
    return cps;
}

std::string DecodePairs(const std::vector<char32_t>& cps) {
    std::string out;
    out.reserve(cps.size() / 2 + cps.size() / 8);
    for (std::size_t i = 0; i + 1 < cps.size(); i += 2) {
        text::AppendUtf8(out, static_cast<char32_t>(DigitValue(cps[i]) * 16 + DigitValue(cps[i + 1])));
    }
    return out;
}

}  // namespace

HexOverflow::HexOverflow(std::size_t length)
    : std::overflow_error(platform::msg::HexTextTooLong(length, kMaxHexTextLength)) {}

void AppendHexText(std::string& out, std::string_view text) {
    for (char32_t cp : text::DecodeUtf8(text)) AppendCodeHex(out, cp);
}

std::string StrToHex(std::string_view text) {
    const std::vector<char32_t> cps = text::DecodeUtf8(text);
    if (cps.size() > kMaxHexTextLength) throw HexOverflow(cps.size());
    std::string out;
    out.reserve(cps.size() * 2);
    for (char32_t cp : cps) AppendCodeHex(out, cp);
    return out;
}

std::string HexByte2(std::string_view text) {
    const std::string_view t = text::TrimBlanks(text);
    std::string out;
    out.reserve(t.size() + 1);
    if (text::DecodeUtf8(t).size() < 2) out += '0';
    out += t;
    return out;
}

std::string HexToStrUnbounded(std::string_view hex) { return DecodePairs(HexCharacters(hex)); }

std::string HexToStr(std::string_view hex) {
    const std::vector<char32_t> cps = HexCharacters(hex);
    if (cps.size() > kMaxHexTextLength) throw HexOverflow(cps.size());
    return DecodePairs(cps);
}

std::uint8_t HexPairValue(std::string_view pair) {
    const std::vector<char32_t> cps = text::DecodeUtf8(pair);
    if (cps.size() != 2) return 0;
    return static_cast<std::uint8_t>(DigitValue(cps[0]) * 16 + DigitValue(cps[1]));
}

}  // namespace orvane
