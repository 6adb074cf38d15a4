// Hostile input for the readers' tests: zip archives built exactly as a test
// describes them, bypassing every check of ours (odd names, symlink entries,
// false sizes), and XML texts that are not well-formed.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/Encodings.h"
#include "support/TestSupport.h"

namespace orvane::testing {

struct RawEntry {
    std::string name;
    std::string data;
    std::uint32_t unix_mode = 0100644;
};

inline void MakeRawZip(const std::string& path, const std::vector<RawEntry>& entries) {
    int err = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(za, nullptr);
    for (const auto& e : entries) {
        zip_source_t* src = zip_source_buffer(za, e.data.data(), e.data.size(), 0);
        zip_int64_t idx = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_RAW);
        ASSERT_GE(idx, 0) << e.name;
        zip_file_set_external_attributes(za, static_cast<zip_uint64_t>(idx), 0, ZIP_OPSYS_UNIX, e.unix_mode << 16);
    }
    ASSERT_EQ(zip_close(za), 0);
}

// Makes an entry of the archive at path declare `size` uncompressed bytes, in
// its local header and in the central directory, whatever it holds.
inline void SetDeclaredSize(const std::string& path, const std::string& entry, std::uint32_t size) {
    std::string bytes = ReadFile(path);
    // Each header kind: its signature, where the size and where the name start.
    for (auto [sig, sizeAt, nameAt] : {std::tuple{std::string_view("PK\x03\x04", 4), 22, 30},
                                       std::tuple{std::string_view("PK\x01\x02", 4), 24, 46}})
        for (auto at = bytes.find(sig); at != std::string::npos; at = bytes.find(sig, at + 4))
            if (bytes.compare(at + nameAt, entry.size(), entry) == 0)
                for (int k = 0; k < 4; ++k) bytes[at + sizeAt + k] = static_cast<char>((size >> (8 * k)) & 0xFF);
    WriteFile(path, bytes);
}

// Texts that are not well-formed XML, one per class of fault, each with a
// well-formed twin that differs only by the fault, for the readers' tests.
// The root element is given, so each reader gets texts of its own kind.
struct MalformedCase {
    const char* fault;
    std::string bad, good;
};

inline std::vector<MalformedCase> NotWellFormedCases(const std::string& root) {
    const std::string r = "<" + root;
    const std::string end = "</" + root + ">";
    const std::string e = r + "/>";
    const std::string decl = "<?xml version=\"1.0\"?>";
    const auto declaring = [](const std::string& encoding) {
        return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>";
    };
    // A text declaring one encoding, written in another.
    const auto in = [&](const char* iconvName, const char* mark, const std::string& encoding, const std::string& body) {
        return Encode(declaring(encoding) + body, {encoding, iconvName, mark});
    };
    const std::string open16 = in("UTF-16LE", "\xFF\xFE", "UTF-16", r + ">"), end16 = Encode(end, {"", "UTF-16LE", ""});
    return {
        {"encoding not read", declaring("Shift_JIS") + e, declaring("windows-1252") + e},
        {"UTF-16 mark against an 8-bit declaration", in("UTF-16LE", "\xFF\xFE", "windows-1252", e),
         in("UTF-16LE", "\xFF\xFE", "UTF-16", e)},
        {"UTF-16BE mark against UTF-16LE declared", in("UTF-16BE", "\xFE\xFF", "UTF-16LE", e),
         in("UTF-16BE", "\xFE\xFF", "UTF-16BE", e)},
        {"UTF-8 mark against an 8-bit declaration", "\xEF\xBB\xBF" + declaring("ISO-8859-15") + e,
         "\xEF\xBB\xBF" + declaring("UTF-8") + e},
        {"byte the code page leaves undefined", declaring("windows-1252") + r + ">\x81" + end,
         declaring("windows-1252") + r + ">\x80" + end},
        {"UTF-16 cut inside a character", in("UTF-16LE", "\xFF\xFE", "UTF-16", e) + "\n",
         in("UTF-16LE", "\xFF\xFE", "UTF-16", e + "\n")},
        {"unpaired surrogate in UTF-16", open16 + std::string("\x00\xD8", 2) + end16,
         open16 + std::string("\x3D\xD8\x00\xDE", 4) + end16},
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
