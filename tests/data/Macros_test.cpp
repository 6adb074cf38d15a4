// The macro scan of query texts and the replacement of macros by system
// values and report parameters.
#include <orvanespt/data/Macros.h>

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <orvanespt/model/Orvane.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using Tokens = std::vector<std::string>;

Tokens Scan(const std::string& s) {
    return Orvane().GetMacros(s);
}

// A report with one connection and one record source on it.
struct Fixture : testing::ReportOn {
    std::shared_ptr<eRSource> rs = Source("rs", "");
    std::string Replace(const std::string& s) const { return rs->ReplaceMacros(s); }
};

TEST(ReplaceMacros, SystemValuesParametersAndWhatStays) {
    passwd* pw = getpwuid(geteuid());
    ASSERT_NE(pw, nullptr);
    const std::string user = std::string("'") + pw->pw_name + "'";
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    Fixture f;
    f.Param("rs1.total", "adInteger", "3");
    f.Param("cliente", "adVarChar", "O'Brien");
    f.Param("n", "adInteger", "12abc");
    f.Param("fecha", "adDate", "2024-03-01");
    f.Param("vacio", "adDouble", "");
    f.Param("s", "adVarChar", "");
    f.Param("p1", "adInteger", "5");
    f.Param("p10", "adInteger", "7");
    f.Param("p2", "adInteger", "6");
    f.Param("nulo", "adVarChar", Variant::MakeNull());
    f.Param("p 1", "adVarChar", "v");
    f.Param("lista", "adVarChar", "no")->Values = std::vector<Variant>{"a", 2};
    const std::pair<std::string, std::string> cases[] = {
        // System macros, in any case.
        {"d=@FeCha AND e=@date", "d=DATE() AND e=DATE()"},
        {"t=@hora OR t=@TIME", "t=TIME() OR t=TIME()"},
        {"u=@winuser,@UsuarioWin", "u=" + user + "," + user},
        {"@nombrepcwin=@WinPcName", std::string("'") + host + "'='" + host + "'"},
        // Print macros, field references and unknown names stay.
        {"@PageNumber/@paginas @numpagina @pages @fechahora @DateTime @rs1.total @nadie @{nadie}",
         "@PageNumber/@paginas @numpagina @pages @fechahora @DateTime @rs1.total @nadie @{nadie}"},
        // Plain gives the SQL literal (nothing escaped), braced the raw value.
        {"a=@cliente AND b LIKE '%@{cliente}%'", "a='O'Brien' AND b LIKE '%O'Brien%'"},
        {"n=@N OR n=@{ n }", "n=12 OR n=12abc"},
        {"@{fecha} @fecha", "2024-03-01 DATE()"},  // the braced form of a system name is a parameter
        {"@vacio,@s", "0,''"},
        {"x IN (@lista) OR y='@{lista}'", "x IN ('a', '2') OR y='a, 2'"},
        // Shorter names replaced first eat into longer ones.
        {"a=@p1 AND b=@p10", "a=5 AND b=50"},
        {"b=@p10 AND a=@p1", "b=7 AND a=5"},
        // A name running into the next line names nothing; a later plain @p1
        // is a token of its own, and its replacement reaches both.
        {"a=@p1\r\nAND b=2", "a=@p1\r\nAND b=2"},
        {"a=@p1\r\nAND b=@p1", "a=5\r\nAND b=5"},
        {"@p1 @{p2 @p2", "5 @{p2 @p2"},  // an unclosed brace leaves later macros
        {"x=@{nulo}", "x=@{nulo}"},      // a braced value without a text form is skipped
        {"@{p 1}", "v"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(f.Replace(text), expected) << text;
}

// Each repeated token used to replace every occurrence once more, values
// included, doubling the text at every step; a replacement past the limit is
// skipped. Without a connection or a report the text stays.
TEST(ReplaceMacros, ValuesAreNotExpandedAgainNorPastTheLimitNorWithoutAReportAndTheScanFindsTokens) {
    eRSource lone;
    EXPECT_EQ(lone.ReplaceMacros("a=@fecha"), "a=@fecha");
    auto cnn = std::make_shared<eConnection>();
    lone.eCnn = cnn;
    EXPECT_EQ(lone.ReplaceMacros("a=@fecha"), "a=@fecha");

    Fixture f;
    f.Param("p", "adVarChar", "@p@p");
    f.Param("big", "adVarChar", std::string(data::kMaxReplacedMacroText / 2 + 1, 'x'));
    f.Param("n", "adInteger", "7");
    std::string text, expected;
    for (int i = 0; i < 12; ++i) text += "@p ", expected += "'@p@p' ";
    EXPECT_EQ(f.Replace(text), expected);
    EXPECT_EQ(f.Replace("@{big}@{big} @n"), "@{big}@{big} 7");
    EXPECT_EQ(f.Replace("@{big}").size(), data::kMaxReplacedMacroText / 2 + 1);

    const std::pair<const char*, Tokens> cases[] = {
        {"SELECT * FROM t WHERE a=@p1 AND b=@{p2}", {"p1", "{p2}"}},
        {"@{a\tb}@x", {"{a b}", "x"}},
        {"@{}", {"{}"}},
        {"x=@año)", {"año"}},
        // Line breaks, dots and at signs belong to the name.
        {"a=@p1\r\nAND b=1", {"p1\r\nAND"}},
        {"@rs1.total>0", {"rs1.total"}},
        {"@a@b", {"a@b"}},
        // An at sign without a name yields nothing.
        {"mail@", {}},
        {"a @= b @) @p", {"p"}},
        {"@{", {}},
        // An unclosed brace ends the scan.
        {"@p1 @{x @p2 @p3", {"p1"}},
        {"@{x @p2 }", {"{x @p2 }"}},
    };
    for (const auto& [scanned, tokens] : cases) EXPECT_EQ(Scan(scanned), tokens) << scanned;
    for (char d : std::string(" {}[]+-*/<>=!(),;:?'&\"")) {
        EXPECT_TRUE(data::IsMacroDelimiter(d)) << d;
        EXPECT_EQ(Scan(std::string("@ab") + d + "x"), Tokens{"ab"}) << d;
    }
}

}  // namespace
}  // namespace orvane
