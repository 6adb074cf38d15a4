// Orvane::LoadXPDFile on any bytes. A file it refuses leaves the definition
// as it was; a file it accepts gives a definition that saves and loads again
// into the same XML.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/model/Orvane.h>

using namespace orvane;

namespace {

const char* const kPrevious =
    "<Orvane Name=\"previo\" Version=\"1.0\"><eParameters><eParameter Name=\"p1\" eType=\"adInteger\" "
    "Predef=\"1\"/></eParameters></Orvane>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallQuietMessages();
    static const fuzz::ScratchFile input("in");
    static const fuzz::ScratchFile output("out");
    input.Write(data, size);

    auto report = std::make_shared<Orvane>();
    report->FromXML(kPrevious);
    const std::string before = report->ToXML();
    if (!report->LoadXPDFile(input.Path())) {
        // A source.xml that is not well-formed is refused before anything is
        // read; without one nothing is read at all.
        fuzz::Check(report->ToXML() == before, "a refused package changed the definition");
        return 0;
    }
    const std::string loaded = report->ToXML();
    std::remove(output.Path().c_str());  // a new package, not an update of the last one
    fuzz::Check(report->SaveXPDFile(output.Path()), "an accepted package cannot be saved again");
    auto again = std::make_shared<Orvane>();
    fuzz::Check(again->LoadXPDFile(output.Path()), "a saved package does not load", loaded);
    fuzz::Check(again->ToXML() == loaded, "a package changes on saving and loading again",
                loaded + "\n----\n" + again->ToXML());
    return 0;
}
