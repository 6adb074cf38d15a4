// Orvane::ReadXML (FromXML's reading step) on any text. A text it refuses
// leaves the definition as it was and says where, inside the text; a text it
// accepts gives a definition whose XML reads back into the same XML (the
// second round trip is stable).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/model/Orvane.h>

using namespace orvane;

namespace {

// A small definition already in place, so that a refused text can be seen
// to leave it alone.
const char* const kPrevious =
    "<Orvane Name=\"previo\" Version=\"1.0\"><eConnections><eConnection Name=\"c1\" "
    "ConnectionString=\"Provider=SQLite;Data Source=:memory:\"/></eConnections></Orvane>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallQuietMessages();
    const std::string input = fuzz::AsText(data, size);

    auto report = std::make_shared<Orvane>();
    report->FromXML(kPrevious);
    const std::string before = report->ToXML();
    const DefinitionRead read = report->ReadXML(input);
    if (!read.ok()) {
        fuzz::Check(report->ToXML() == before, "a refused text changed the definition");
        fuzz::Check(read.status == ReadStatus::NotWellFormed && read.error.line >= 1 && read.error.column >= 1 &&
                        read.error.offset <= input.size(),
                    "a refusal points outside the text", read.error.Message());
        return 0;
    }
    const std::string first = report->ToXML();
    auto again = std::make_shared<Orvane>();
    fuzz::Check(again->FromXML(first), "the written XML is not read back", first);
    const std::string second = again->ToXML();
    fuzz::Check(second == first, "the XML changes on a second round trip", first + "\n----\n" + second);
    fuzz::Check(!again->IsDirty(), "a definition just read is dirty");
    return 0;
}
