// GetMacros and ReplaceMacros on any text, with parameter values that are
// themselves taken from the input (a user types them at run time). Every
// token is found in the text where the scan says it is, a text without "@"
// comes back unchanged, and the replaced text stays within the limit however
// the values refer to each other.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/data/Macros.h>
#include <orvanespt/model/Orvane.h>

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
    return 0;
}
