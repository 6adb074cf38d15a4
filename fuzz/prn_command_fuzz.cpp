// prnCommand::StrCommand written with any text: the fields it reads are
// packed into a string that reads back into the same fields.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/print/prnCommand.h>

using namespace orvane;

namespace {

std::string Fields(const prnCommand& c) {
    return std::to_string(c.StrType) + "|" + c.EncoderInfo + "|" + std::to_string(c.SourceTrack1) + "," +
           std::to_string(c.SourceTrack2) + "," + std::to_string(c.SourceTrack3) + "," +
           std::to_string(c.SourceSmartCard) + "|" + c.Track1 + "|" + c.Track2 + "|" + c.Track3 + "|" + c.SmartCard +
           "|" + c.Custom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    prnCommand first;
    first.StrCommand(fuzz::AsText(data, size));
    const std::string packed = first.StrCommand();
    prnCommand second;
    second.StrCommand(packed);
    const std::string repacked = second.StrCommand();
    fuzz::Check(repacked == packed, "the packed command changes on a second round trip",
                packed + "\n----\n" + repacked);
    prnCommand third;
    third.StrCommand(repacked);
    fuzz::Check(Fields(third) == Fields(second), "a packed command reads back into other fields",
                Fields(second) + "\n----\n" + Fields(third));
    return 0;
}
