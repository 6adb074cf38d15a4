// eControl.Extended: the control's extended properties as one string and
// back, through the extended-property parser of platform/.
#include <orvanespt/model/detail/ExtendedText.h>
#include <orvanespt/platform/ExtPropertyParser.h>
#include <orvanespt/platform/Text.h>

namespace orvane {

// A property with a blank name or a value without a text form (Null, an
// object) is left out.
void detail::AppendExtended(std::string& out, const eControl& c) {
    if (!c.ExtendedProperties) return;
    for (const auto& p : *c.ExtendedProperties) {
        if (!p || text::TrimBlanks(p->Name).empty()) continue;
        std::optional<std::string> converted;
        const std::string* value = p->Value.AsText();
        if (!value) {
            converted = p->Value.Text();
            if (!converted) continue;
            value = &*converted;
        }
        out += p->Name;
        out += "='";
        platform::AppendEscapedExtValue(out, *value);
        out += "';";
    }
}

std::string eControl::Extended() const {
    std::string out;
    detail::AppendExtended(out, *this);
    return out;
}

void eControl::Extended(const std::string& value) {
    ExtendedProperties = nullptr;
    try {
        auto items = platform::ParseExtProperties(value);
        if (!items) return;
        auto list = std::make_shared<Collection<::orvane::ExtProperty>>();
        for (auto& item : *items) {
            auto p = std::make_shared<::orvane::ExtProperty>();
            p->Name = std::move(item.name);
            p->Value = Variant(std::move(item.value));
            list->Add(std::move(p));
        }
        ExtendedProperties = std::move(list);
    } catch (...) {
        ExtendedProperties = nullptr;
    }
}

}  // namespace orvane
