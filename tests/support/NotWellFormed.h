// Texts that are not well-formed XML, one per class of fault, each with a
// well-formed twin that differs only by the fault, for the readers' tests.
// The root element is given, so each reader gets texts of its own kind.
#pragma once

#include <string>
#include <vector>

namespace orvane::testing {

struct MalformedCase {
    const char* fault;
    std::string bad;
    std::string good;
};

inline std::vector<MalformedCase> NotWellFormedCases(const std::string& root) {
    const std::string r = "<" + root;
    const std::string end = "</" + root + ">";
    const std::string e = r + "/>";
    const std::string decl = "<?xml version=\"1.0\"?>";
    return {
        {"lone ampersand", r + ">A & B" + end, r + ">A &amp; B" + end},
        {"undefined entity", r + ">&foo;" + end, e},
        {"reference without ;", r + ">&amp B" + end, r + ">&amp; B" + end},
        {"< in an attribute", r + " Name='a<b'/>", r + " Name='a&lt;b'/>"},
        {"attribute twice", r + " Name='a' Name='b'/>", r + " Name='a' name='b'/>"},
        {"two roots", e + e, e},
        {"text after the root", e + "texto", e + "<!--texto-->"},
        {"]]> in text", r + ">a ]]> b" + end, r + ">a ]]&gt; b" + end},
        {"-- in a comment", r + "><!-- a -- b -->" + end, r + "><!-- a - b -->" + end},
        {"declaration in upper case", "<?XML version=\"1.0\"?>" + e, decl + e},
        {"declaration out of order", "<?xml encoding=\"UTF-8\" version=\"1.0\"?>" + e,
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + e},
        {"declaration quotes mismatched", "<?xml version=\"1.0'?>" + e, decl + e},
        {"declaration not at the start", " " + decl + e, decl + " " + e},
        {"form feed", r + ">a\fb" + end, r + ">a&#9;b" + end},
        {"U+FFFE", r + ">\xEF\xBF\xBE" + end, e},
        {"U+FFFF", r + " Name='\xEF\xBF\xBF'/>", r + " Name='\xEF\xBF\xBD'/>"},
        {"invalid UTF-8", r + ">\xC3\x28" + end, r + ">\xC3\xA9" + end},
        {"entity declared without value", "<!DOCTYPE " + root + " [<!ENTITY x>]>" + e,
         "<!DOCTYPE " + root + " [<!ENTITY x 'y'>]>" + e},
        {"junk in the internal subset", "<!DOCTYPE " + root + " [ junk ]>" + e, "<!DOCTYPE " + root + " [ ]>" + e},
    };
}

}  // namespace orvane::testing
