// ReadDataLinkFile on any file content: the connection string it gives is
// made of CR LF ended lines, none of them the "[oledb]" header or a ";"
// comment, each trimmed of blanks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/data/Connections.h>
#include <orvanespt/platform/Text.h>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchFile file("udl");
    file.Write(data, size);
    const std::string text = data::ReadDataLinkFile(file.Path());
    if (text.empty()) return 0;
    fuzz::Check(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0, "the text does not end in CR LF",
                text);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        fuzz::Check(end != std::string::npos, "a line is not ended by CR LF", text);
        const std::string line = text.substr(start, end - start);
        fuzz::Check(line.find_first_of("\r\n") == std::string::npos, "a line holds a lone line break", text);
        fuzz::Check(line == text::TrimBlanks(line), "a line is not trimmed", line);
        fuzz::Check(line.rfind(";", 0) != 0, "a comment line is kept", line);
        fuzz::Check(line.rfind("[oledb]", 0) != 0, "the header line is kept", text);
        start = end + 2;
    }
    return 0;
}
