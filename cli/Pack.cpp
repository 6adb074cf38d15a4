// orvane pack XML -o OUT.xpd [--picture NAME=PATH]... [--text NAME=PATH]...
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <orvanespt/platform/FileOps.h>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"

namespace orvane::cli {

namespace fs = std::filesystem;

namespace {

// A package carries the definition, its index and at most 98 resource files.
constexpr std::size_t kMaxResources = 98;

// A resource name becomes an entry's file name on every system that may
// unpack the package, so the characters no common file system accepts are
// refused.
void CheckResourceName(const std::string& name, const std::string& arg) {
    if (name.empty()) throw CliError(msg::ResourceNeedsNamePath(arg));
    if (name == "." || name == ".." || name.find_first_of("/\\:*?\"<>|") != std::string::npos) {
        throw CliError(msg::ResourceNameIsNoFileName(name));
    }
    for (unsigned char c : name) {
        if (c < 32) throw CliError(msg::ResourceNameControlCharacter(name));
    }
}

void AddResource(Orvane& rpt, const PackResource& r) {
    const auto eq = r.arg.find('=');
    if (eq == std::string::npos || eq + 1 == r.arg.size()) {
        throw CliError(msg::ResourceNeedsNamePath(r.arg));
    }
    const std::string name = r.arg.substr(0, eq);
    CheckResourceName(name, r.arg);
    // Relative paths are taken from the current folder.
    const fs::path path = fs::absolute(r.arg.substr(eq + 1));
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw CliError(msg::NoSuchFile(path.string()));
    auto res = rpt.NewResData(name);
    if (!res) throw CliError(msg::ResourceNameTwice(name));
    Messages().Take();
    std::string file = path.string();
    if (r.picture && !res->LoadPictureFromFile(file)) throw CliError(path.string() + ": " + ShownOr(msg::kNotAPicture));
    if (!r.picture && !res->LoadTextFromFile(file)) throw CliError(path.string() + ": " + ShownOr(msg::kCannotBeRead));
}

// A package of that name may hold entries this definition does not have, so
// a fresh one is saved beside it and renamed over it: a failed pack leaves
// the older package as it was.
void WritePackage(Orvane& rpt, const fs::path& out) {
    std::error_code ec;
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) throw CliError(msg::FolderMissing(out.string()));
    if (fs::is_directory(out, ec)) throw CliError(msg::OutputIsFolder(out.string()));
    const fs::path partial = out.string() + ".partial";
    fs::remove(partial, ec);
    const DefinitionWrite written = rpt.WriteXPDFile(partial.string());
    if (!written.ok()) {
        fs::remove(partial, ec);
        throw CliError(written.file.Message());
    }
    if (platform::Files().Rename(partial.c_str(), out.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        fs::remove(partial, ec);
        throw CliError(msg::PackageNotPutInPlace(out.string(), why));
    }
}

}  // namespace

void Pack(const std::string& xmlFile, const std::string& out, const std::vector<PackResource>& resources) {
    auto rpt = LoadDefinitionXml(xmlFile);
    if (resources.size() > kMaxResources) {
        throw CliError(msg::TooManyResources(kMaxResources));
    }
    for (const auto& r : resources) AddResource(*rpt, r);
    WritePackage(*rpt, out);
}

}  // namespace orvane::cli
