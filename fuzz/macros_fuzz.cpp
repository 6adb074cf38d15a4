// GetMacros and ReplaceMacros on any text, with parameter values that are
// themselves taken from the input (a user types them at run time). Every
// token is found in the text where the scan says it is, a text without "@"
// comes back unchanged, the replaced text stays within the limit however
// the values refer to each other, and it is the text the plain way of
// replacing (token after token, each in a fresh copy) gives.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include <orvanespt/data/Macros.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/SystemUser.h>
#include <orvanespt/platform/Text.h>

using namespace orvane;

namespace {

std::shared_ptr<eParameter> Param(Orvane& report, const std::string& name, const std::string& type) {
    auto p = std::make_shared<eParameter>();
    p->Name = name;
    p->eType(type);
    report.eParameters->Add(p);
    return p;
}

// The braced token as GetMacros returns it: tabs read as blanks.
bool FoundInText(const std::string& text, const std::string& token) {
    if (token.empty() || token.front() != '{') return text.find("@" + token) != std::string::npos;
    std::string tabs = text;
    for (auto& c : tabs)
        if (c == '\t') c = ' ';
    return tabs.find("@" + token) != std::string::npos;
}

// The replacement written the plain way, against which the library's, which
// works in place over views, is checked.
std::optional<std::string> PlainSystemValue(const std::string& lowered) {
    if (lowered == "date" || lowered == "fecha") return "DATE()";
    if (lowered == "time" || lowered == "hora") return "TIME()";
    if (lowered == "winuser" || lowered == "usuariowin") return "'" + platform::OsUserName() + "'";
    if (lowered == "winpcname" || lowered == "nombrepcwin") return "'" + platform::OsComputerName() + "'";
    return std::nullopt;
}

std::string PlainWithin(const std::string& text, const std::string& target, const std::string& value) {
    std::size_t hits = 0;
    for (std::size_t at = text.find(target); at != std::string::npos; at = text.find(target, at + target.size()))
        ++hits;
    if (hits == 0) return text;
    const std::size_t room = data::kMaxReplacedMacroText - std::min(text.size(), data::kMaxReplacedMacroText);
    if (value.size() > target.size() && (value.size() - target.size()) > room / hits) return text;
    return text::ReplaceAll(text, target, value);
}

std::string PlainReplace(const Orvane& report, const std::string& sql) {
    std::string out = sql;
    std::vector<std::string> done;
    for (const auto& token : report.GetMacros(sql)) {
        if (std::find(done.begin(), done.end(), token) != done.end()) continue;
        done.push_back(token);
        const std::string m(text::TrimBlanks(token));
        const std::string lowered = text::LowerAscii(m);
        if (m.find('.') != std::string::npos || lowered == "pagenumber" || lowered == "numpagina" ||
            lowered == "pages" || lowered == "paginas" || lowered == "datetime" || lowered == "fechahora")
            continue;
        if (auto value = PlainSystemValue(lowered)) {
            out = PlainWithin(out, "@" + token, *value);
            continue;
        }
        std::string name = m;
        std::erase_if(name, [](char c) { return c == '{' || c == '}'; });
        const eParameter* p = report.FindParameter(name);
        if (!p) continue;
        if (m.find('{') == std::string::npos) {
            out = PlainWithin(out, "@" + token, p->SQLExpresion());
        } else if (const auto raw = p->Value.Text()) {
            out = PlainWithin(out, "@" + token, *raw);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    auto report = std::make_shared<Orvane>();
    Param(*report, "a", "adVarChar")->Value = Variant(in.ConsumeRandomLengthString(64));
    Param(*report, "b", "adVarChar")->Value = Variant(in.ConsumeRandomLengthString(64));
    Param(*report, "n", "adInteger")->Value = Variant(in.ConsumeRandomLengthString(16));
    Param(*report, "d", "adDate|" + in.ConsumeRandomLengthString(16))->Value =
        Variant(in.ConsumeRandomLengthString(32));
    const std::string sql = in.ConsumeRemainingBytesAsString();

    const auto tokens = report->GetMacros(sql);
    for (const auto& token : tokens) fuzz::Check(FoundInText(sql, token), "a macro token is not in the text", token);

    auto cnn = std::make_shared<eConnection>();
    cnn->Name = "c";
    report->AddConnection(cnn);
    auto rs = std::make_shared<eRSource>();
    rs->eCnn = cnn;
    const std::string out = rs->ReplaceMacros(sql);
    if (sql.find('@') == std::string::npos) fuzz::Check(out == sql, "a text without macros was changed", out);
    fuzz::Check(out.size() <= std::max(sql.size(), data::kMaxReplacedMacroText),
                "the replaced text grew past the limit");
    fuzz::Check(out == PlainReplace(*report, sql), "the replaced text is not the plain replacement", sql);
    return 0;
}
