#include <orvanespt/print/prnCommand.h>

#include <vector>

#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

constexpr char kSTX = '\x02';  // between groups
constexpr char kSOH = '\x01';  // between a source code and its content

// Splits as the packed form was built: an empty text has no pieces at all.
std::vector<std::string> Pieces(const std::string& s, char sep) {
    if (s.empty()) return {};
    return text::Split(s, std::string(1, sep));
}

const std::string* At(const std::vector<std::string>& v, std::size_t i) {
    return i < v.size() ? &v[i] : nullptr;
}

// Reads "source SOH content" into the two fields, each on its own.
void ReadSourceGroup(const std::string* group, SourceType& source, std::string& content) {
    if (!group) return;
    const auto parts = Pieces(*group, kSOH);
    if (const auto* code = At(parts, 0)) {
        // Any integer is kept as it is; the host decides what it means.
        if (auto n = platform::ParseLocaleInt32(*code)) source = static_cast<SourceType>(*n);
    }
    if (const auto* c = At(parts, 1)) content = *c;
}

std::string SourceGroup(SourceType source, const std::string& content) {
    return std::string(1, kSTX) + std::to_string(static_cast<std::int32_t>(source)) + kSOH + content;
}

}  // namespace

std::string prnCommand::StrCommand() const {
    switch (StrType) {
        case cmagneticstrip:
            return "1" + EncoderInfo + SourceGroup(SourceTrack1, Track1) + SourceGroup(SourceTrack2, Track2) +
                   SourceGroup(SourceTrack3, Track3);
        case csmartcard:
            return "2" + EncoderInfo + SourceGroup(SourceSmartCard, SmartCard);
        case ccustom:
            return "3" + Custom;
        default:
            return {};
    }
}

void prnCommand::StrCommand(const std::string& value) {
    StrType = cnothing;
    SourceTrack1 = SourceTrack2 = SourceTrack3 = SourceSmartCard = cEmpty;
    Track1.clear(), Track2.clear(), Track3.clear(), SmartCard.clear(), Custom.clear();
    if (text::TrimBlanks(value).empty()) return;

    const char kind = value[0];
    const std::string body = value.substr(1);
    if (kind == '3') {
        StrType = ccustom;
        Custom = body;
        return;
    }
    if (kind != '1' && kind != '2') return;

    const auto groups = Pieces(body, kSTX);
    if (const auto* info = At(groups, 0)) EncoderInfo = *info;
    if (kind == '1') {
        StrType = cmagneticstrip;
        ReadSourceGroup(At(groups, 1), SourceTrack1, Track1);
        ReadSourceGroup(At(groups, 2), SourceTrack2, Track2);
        ReadSourceGroup(At(groups, 3), SourceTrack3, Track3);
        return;
    }
    StrType = csmartcard;
    ReadSourceGroup(At(groups, 1), SourceSmartCard, SmartCard);
}

}  // namespace orvane
