// Hex text on any input: HexToStr and its unbounded form agree, what it gives
// goes through StrToHex and back unchanged, and any text of code points up to
// 255 survives StrToHex then HexToStr.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/platform/HexText.h>
#include <orvanespt/platform/Text.h>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::AsText(data, size);

    const std::string unbounded = HexToStrUnbounded(input);
    try {
        const std::string decoded = HexToStr(input);
        fuzz::Check(decoded == unbounded, "HexToStr and HexToStrUnbounded disagree", input);
        const std::string hex = StrToHex(decoded);
        fuzz::Check(HexToStr(hex) == decoded, "HexToStr(StrToHex(x)) is not x", hex);
    } catch (const HexOverflow&) {
    }

    std::string appended;
    AppendHexText(appended, input);
    const auto points = text::DecodeUtf8(input);
    if (std::all_of(points.begin(), points.end(), [](char32_t c) { return c <= 255; }))
        fuzz::Check(HexToStrUnbounded(appended) == text::EncodeUtf8(points),
                    "a text of codes up to 255 does not survive hex and back", appended);
    try {
        fuzz::Check(StrToHex(input) == appended, "StrToHex and AppendHexText disagree", input);
    } catch (const HexOverflow&) {
        fuzz::Check(points.size() > kMaxHexTextLength, "StrToHex overflows on a short text", input);
    }
    return 0;
}
