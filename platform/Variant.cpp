#include <orvanespt/platform/Variant.h>

#include <cmath>

#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

std::string TrimBlanks(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

}  // namespace

std::optional<bool> Variant::AsBool() const {
    if (auto p = std::get_if<bool>(&v_)) return *p;
    return std::nullopt;
}
std::optional<std::int64_t> Variant::AsInt() const {
    if (auto p = std::get_if<std::int64_t>(&v_)) return *p;
    return std::nullopt;
}
std::optional<double> Variant::AsDouble() const {
    if (auto p = std::get_if<double>(&v_)) return *p;
    return std::nullopt;
}
const Decimal* Variant::AsDecimal() const { return std::get_if<Decimal>(&v_); }
const std::string* Variant::AsText() const { return std::get_if<std::string>(&v_); }
std::optional<DateTime> Variant::AsDate() const {
    if (auto p = std::get_if<DateTime>(&v_)) return *p;
    return std::nullopt;
}
std::shared_ptr<HostObject> Variant::AsObject() const {
    if (auto p = std::get_if<std::shared_ptr<HostObject>>(&v_)) return *p;
    return nullptr;
}

std::optional<std::string> Variant::Text() const {
    switch (kind()) {
        case Kind::Empty: return std::string();
        case Kind::Null: return std::nullopt;
        case Kind::Bool: return std::get<bool>(v_) ? "True" : "False";
        case Kind::Int: return std::to_string(std::get<std::int64_t>(v_));
        case Kind::Double: return platform::FormatDouble(std::get<double>(v_));
        case Kind::Decimal: return std::get<Decimal>(v_).Text(platform::DecimalSeparator());
        case Kind::Text: return std::get<std::string>(v_);
        case Kind::Date: return std::get<DateTime>(v_).ToIsoText();
        case Kind::Object: return std::nullopt;
    }
    return std::nullopt;
}

std::string Variant::TextOr(std::string fallback) const {
    auto t = Text();
    return t ? *t : fallback;
}

std::optional<double> Variant::ToNumber() const {
    switch (kind()) {
        case Kind::Empty: return 0.0;
        case Kind::Bool: return std::get<bool>(v_) ? -1.0 : 0.0;
        case Kind::Int: return static_cast<double>(std::get<std::int64_t>(v_));
        case Kind::Double: return std::get<double>(v_);
        case Kind::Decimal: return std::get<Decimal>(v_).ToDouble();
        case Kind::Text: return platform::LeadingNumber(std::get<std::string>(v_));
        case Kind::Date: return std::get<DateTime>(v_).ToSerial();
        default: return std::nullopt;
    }
}

std::optional<bool> Variant::ToTruth() const {
    switch (kind()) {
        case Kind::Empty: return false;
        case Kind::Bool: return std::get<bool>(v_);
        case Kind::Int: return std::get<std::int64_t>(v_) != 0;
        case Kind::Double: return std::get<double>(v_) != 0.0;
        case Kind::Decimal: return !std::get<Decimal>(v_).IsZero();
        case Kind::Text: {
            const std::string t = text::LowerAscii(TrimBlanks(std::get<std::string>(v_)));
            if (t == "true") return true;
            if (t == "false") return false;
            if (auto n = platform::ParseLocaleDouble(t)) return *n != 0.0;
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

std::optional<DateTime> Variant::ToDate() const {
    switch (kind()) {
        case Kind::Date: return std::get<DateTime>(v_);
        case Kind::Text: return ParseDateText(std::get<std::string>(v_));
        case Kind::Int:
        case Kind::Double:
        case Kind::Decimal: {
            double serial = *ToNumber();
            if (!std::isfinite(serial) || std::fabs(serial) > 2958465.0) return std::nullopt;
            return DateTime::FromSerial(serial);
        }
        default: return std::nullopt;
    }
}

}  // namespace orvane
