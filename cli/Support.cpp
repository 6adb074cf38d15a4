#include "Support.h"

#include <fcntl.h>
#include <unistd.h>

#include <iostream>
#include <system_error>
#include <utility>

#include "Texts.h"
#include <orvanespt/model/XmlText.h>
#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::cli {

namespace fs = std::filesystem;

platform::MsgAnswer CapturedMessages::Show(const std::string& text, platform::MsgButtons buttons, platform::MsgIcon,
                                           const std::string&) {
    texts_.push_back(text::OneLine(text));
    return buttons == platform::MsgButtons::YesNo ? platform::MsgAnswer::No : platform::MsgAnswer::Ok;
}

std::vector<std::string> CapturedMessages::Take() {
    return std::exchange(texts_, {});
}

CapturedMessages& Messages() {
    static auto sink = std::make_shared<CapturedMessages>();
    return *sink;
}

std::string ShownOr(const std::string& fallback) {
    auto texts = Messages().Take();
    if (texts.empty()) return fallback;
    std::string all;
    for (const auto& t : texts) all += (all.empty() ? "" : " | ") + t;
    return all;
}


namespace {

std::string ReadWhole(const fs::path& file) {
    std::string bytes;
    if (const auto read = platform::ReadWholeFile(file.string(), bytes); !read.ok()) throw CliError(read.Message());
    return bytes;
}

// The first failure of a read, as the user's error; where names the text
// inside the file ("source.xml: " in a package).
void ThrowIfRefused(const fs::path& file, const DefinitionRead& read, const std::string& where) {
    const std::string name = file.string();
    switch (read.status) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::NoFile:
            throw CliError(msg::NoSuchFile(name));
        case ReadStatus::NotAPackage:
            throw CliError(msg::NotAPackage(name, read.archiveError.empty() ? msg::kNotAZip : read.archiveError));
        case ReadStatus::NoSource:
            throw CliError(msg::NoSourceXml(name) + (read.archiveError.empty() ? "" : " (" + read.archiveError + ")"));
        case ReadStatus::Refused:
            throw CliError(msg::PackageRefused(name, read.archiveError));
        case ReadStatus::NotWellFormed:
            throw CliError(name + ": " + where + text::OneLine(read.error.Message()));
    }
    // A well-formed text whose root is not a report leaves the definition
    // empty; the user asked for a report, so say so.
    if (!text::EqualsIgnoreCase(read.rootName, "Orvane")) {
        throw CliError(msg::NotADefinition(name + ": " + where, read.rootName));
    }
}

std::shared_ptr<Orvane> LoadPackage(const fs::path& file) {
    auto rpt = std::make_shared<Orvane>();
    const DefinitionRead read = rpt->ReadXPDFile(file.string());
    ThrowIfRefused(file, read, "source.xml: ");
    // What could not be restored does not fail the load; say so.
    if (!read.archiveError.empty()) std::cerr << "orvane: " << msg::Warning(file.string(), read.archiveError) << "\n";
    for (const auto& entry : read.refused)
        std::cerr << "orvane: " << msg::Warning(file.string(), entry.name + ": " + entry.reason) << "\n";
    return rpt;
}

std::shared_ptr<Orvane> LoadXmlText(const fs::path& file) {
    auto rpt = std::make_shared<Orvane>();
    ThrowIfRefused(file, rpt->ReadXML(ReadWhole(file)), "");
    std::error_code ec;
    rpt->LoadedFrom = fs::absolute(file, ec).string();
    return rpt;
}

}  // namespace

FileKind KindOfFile(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!fs::exists(status)) throw CliError(msg::NoSuchFile(file.string()));
    if (fs::is_directory(status)) throw CliError(msg::IsFolder(file.string()));
    const int fd = platform::Files().Open(file.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) throw CliError(msg::CannotOpen(file.string()));
    std::string start(512, '\0');
    const ssize_t n = platform::Files().Read(fd, start.data(), start.size());
    ::close(fd);
    start.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    // Local file header, or the end record of an archive with no entries.
    if (start.rfind("PK\x03\x04", 0) == 0 || start.rfind("PK\x05\x06", 0) == 0) return FileKind::Package;
    const std::string markup = XmlMarkupText(start);  // UTF-16 too
    const std::size_t i = markup.find_first_not_of(" \t\r\n");
    return i != std::string::npos && markup[i] == '<' ? FileKind::XmlText : FileKind::Other;
}

std::shared_ptr<Orvane> LoadDefinition(const fs::path& file) {
    switch (KindOfFile(file)) {
        case FileKind::Package:
            return LoadPackage(file);
        case FileKind::XmlText:
            return LoadXmlText(file);
        case FileKind::Other:
            break;
    }
    throw CliError(msg::NeitherPackageNorXml(file.string()));
}

std::shared_ptr<Orvane> LoadDefinitionXml(const fs::path& file) {
    switch (KindOfFile(file)) {
        case FileKind::XmlText:
            return LoadXmlText(file);
        case FileKind::Package:
            throw CliError(msg::PackageGivenForXml(file.string()));
        case FileKind::Other:
            break;
    }
    throw CliError(msg::NotDefinitionXml(file.string()));
}

void HidePasswords(Orvane& rpt) {
    if (!rpt.eConections) return;
    for (const auto& cnn : *rpt.eConections)
        if (cnn) cnn->cnnString = platform::ScrubPasswords(cnn->cnnString);
}

}  // namespace orvane::cli
