// Builds zip archives exactly as a test describes them, bypassing every check
// of ours, so hostile archives (odd names, symlink entries) can be made.
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

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

}  // namespace orvane::testing
