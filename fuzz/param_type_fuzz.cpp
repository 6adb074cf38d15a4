// eParameter::eType written with any text, then the parameter's value
// rendered for SQL and for script text. The stored type is the text before
// the first "|", DTFormat the text up to the second; rendering never raises
// for SQL and raises only ConversionError for script text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/model/eParameter.h>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    eParameter p;
    p.Name = "p";
    p.DTFormat = "previo";
    const int valueKind = in.ConsumeIntegralInRange(0, 3);
    const std::string valueText = in.ConsumeRandomLengthString(64);
    const std::string type = in.ConsumeRemainingBytesAsString();

    p.eType(type);
    const std::size_t bar = type.find('|');
    fuzz::Check(p.eType() == type.substr(0, bar), "the stored type is not the text before the first bar", type);
    if (bar == std::string::npos) {
        fuzz::Check(p.DTFormat == "previo", "a type without a bar changed DTFormat", type);
    } else {
        const std::size_t second = type.find('|', bar + 1);
        fuzz::Check(p.DTFormat == type.substr(bar + 1, second == std::string::npos ? second : second - bar - 1),
                    "DTFormat is not the text between the bars", type);
    }

    switch (valueKind) {
        case 0:
            p.Value = Variant(valueText);
            break;
        case 1:
            p.Value = Variant(static_cast<double>(valueText.size()) / 7.0 - 3.0);
            break;
        case 2:
            p.Value = Variant(!valueText.empty());
            break;
        default:
            p.Value = Variant();
            break;
    }
    (void)p.SQLExpresion();
    try {
        (void)p.VBExpresion();
    } catch (const ConversionError&) {
    }
    return 0;
}
