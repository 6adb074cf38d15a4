// The extended-property string of a control (eControl::Extended written) on
// any text: a damaged string leaves no properties, an accepted one is written
// back as a string that parses into the same properties, and escaping any
// value is undone exactly. The format has no escape for a backslash, so a
// value that itself holds text like a mark (\0x27\ written as text) may read back
// otherwise: only such values are let through.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/model/eControl.h>
#include <orvanespt/platform/ExtPropertyParser.h>
#include <orvanespt/platform/Text.h>

using namespace orvane;

namespace {

bool MayHoldMarkText(std::string_view s) {
    return s.find("\\0x") != std::string_view::npos;
}

std::string Describe(const std::vector<platform::ExtItem>& items) {
    std::string out;
    for (const auto& i : items) out += "[" + i.name + "]=[" + i.value + "]\n";
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::AsText(data, size);

    std::string escaped;
    platform::AppendEscapedExtValue(escaped, input);
    fuzz::Check(platform::UnescapeExtValue(escaped) == input || MayHoldMarkText(input),
                "unescaping an escaped value changes it", escaped);

    eControl control;
    control.ExtProperty("previa")->Value = Variant(std::string("x"));
    control.Extended(input);
    const auto parsed = platform::ParseExtProperties(input);
    fuzz::Check(parsed.has_value() == (control.ExtendedProperties != nullptr),
                "the control and the parser disagree on whether the string is damaged");
    if (!parsed) return 0;

    std::vector<platform::ExtItem> kept;
    for (const auto& item : *parsed) {
        if (MayHoldMarkText(item.value)) return 0;
        if (!text::TrimBlanks(item.name).empty()) kept.push_back(item);
    }
    const std::string written = control.Extended();
    const auto reread = platform::ParseExtProperties(written);
    fuzz::Check(reread.has_value(), "the written string is refused", written);
    bool same = reread->size() == kept.size();
    for (std::size_t i = 0; same && i < kept.size(); ++i)
        same = (*reread)[i].name == kept[i].name && (*reread)[i].value == kept[i].value;
    fuzz::Check(same, "the written string holds other properties", Describe(kept) + "----\n" + Describe(*reread));
    return 0;
}
