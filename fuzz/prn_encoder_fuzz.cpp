// prnEncoder::StrEncoder written with any text, and BinString on any text:
// the fields read are packed into a string that reads back into the same
// fields; BinString gives one byte per hex pair and agrees with HexToStr.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/platform/HexText.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/print/prnEncoder.h>

using namespace orvane;

namespace {

std::string Fields(const prnEncoder& e) {
    return e.Name + "|" + e.PreCommand + "|" + e.Command1 + "|" + e.Command2 + "|" + e.Command3 + "|" + e.Sufijo1 +
           "|" + e.Sufijo2 + "|" + e.Sufijo3 + "|" + e.PostCommand;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::AsText(data, size);
    prnEncoder first;
    first.StrEncoder(input);
    const std::string packed = first.StrEncoder();
    prnEncoder second;
    second.StrEncoder(packed);
    fuzz::Check(second.StrEncoder() == packed, "the packed encoder changes on a second round trip", packed);
    prnEncoder third;
    third.StrEncoder(second.StrEncoder());
    fuzz::Check(Fields(third) == Fields(second), "a packed encoder reads back into other fields",
                Fields(second) + "\n----\n" + Fields(third));

    std::string bytes;
    try {
        bytes = first.BinString(input);
    } catch (const HexOverflow&) {
        return 0;
    }
    // HexToStr gives the same codes as UTF-8 text, one character per byte.
    const std::string asText = HexToStr(input);
    const auto points = text::DecodeUtf8(asText);
    bool same = points.size() == bytes.size();
    for (std::size_t i = 0; same && i < bytes.size(); ++i) same = points[i] == static_cast<unsigned char>(bytes[i]);
    fuzz::Check(same, "BinString and HexToStr disagree", input);
    return 0;
}
