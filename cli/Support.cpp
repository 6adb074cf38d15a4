#include "cli/Support.h"

#include <zip.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <pugixml.hpp>
#include <system_error>
#include <utility>

#include "platform/Secrets.h"
#include "platform/Text.h"

namespace orvane::cli {

namespace fs = std::filesystem;

platform::MsgAnswer CapturedMessages::Show(const std::string& text, platform::MsgButtons buttons, platform::MsgIcon,
                                           const std::string&) {
    texts_.push_back(OneLine(text));
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

std::string OneLine(const std::string& text) {
    std::string out;
    bool inBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            inBreak = true;
            continue;
        }
        if (inBreak && !out.empty()) out += "; ";
        inBreak = false;
        out += c;
    }
    return out;
}

namespace {

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CliError(file.string() + ": cannot be read");
    return bytes;
}

// Checks what LoadXPDFile cannot tell apart: an archive that libzip cannot
// open, and one without a source.xml entry.
void CheckPackage(const fs::path& file) {
    int code = 0;
    zip_t* za = zip_open(file.c_str(), ZIP_RDONLY, &code);
    if (!za) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw CliError(file.string() + ": not a readable package (" + why + ")");
    }
    const bool hasSource = zip_name_locate(za, "source.xml", ZIP_FL_NOCASE) >= 0;
    zip_discard(za);
    if (!hasSource) throw CliError(file.string() + ": the package holds no source.xml");
}

// A well-formed text whose root is not a report is accepted by FromXML and
// leaves the definition empty; the user asked for a report, so say so.
void CheckIsDefinition(const fs::path& file, const std::string& text) {
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) return;
    const std::string root = doc.document_element().name();
    if (!text::EqualsIgnoreCase(root, "Orvane")) {
        throw CliError(file.string() + ": not a report definition (root element <" + root + ">, expected <Orvane>)");
    }
}

std::shared_ptr<Orvane> LoadPackage(const fs::path& file) {
    CheckPackage(file);
    auto rpt = std::make_shared<Orvane>();
    Messages().Take();
    if (!rpt->LoadXPDFile(file.string())) {
        throw CliError(file.string() + ": source.xml: " + ShownOr("the definition could not be read"));
    }
    // A resource that could not be restored does not fail the load; say so.
    for (const auto& text : Messages().Take())
        std::cerr << "orvane: " << file.string() << ": warning: " << text << "\n";
    return rpt;
}

std::shared_ptr<Orvane> LoadXmlText(const fs::path& file) {
    const std::string text = ReadWhole(file);
    auto rpt = std::make_shared<Orvane>();
    Messages().Take();
    if (!rpt->FromXML(text)) throw CliError(file.string() + ": " + ShownOr("not well-formed XML"));
    CheckIsDefinition(file, text);
    std::error_code ec;
    rpt->LoadedFrom = fs::absolute(file, ec).string();
    return rpt;
}

}  // namespace

FileKind KindOfFile(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!fs::exists(status)) throw CliError(file.string() + ": no such file");
    if (fs::is_directory(status)) throw CliError(file.string() + ": is a folder, not a file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CliError(file.string() + ": cannot be opened");
    char head[512] = {};
    in.read(head, sizeof head);
    const std::string start(head, static_cast<std::size_t>(in.gcount()));
    // Local file header, or the end record of an archive with no entries.
    if (start.rfind("PK\x03\x04", 0) == 0 || start.rfind("PK\x05\x06", 0) == 0) return FileKind::Package;
    std::size_t i = start.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (i < start.size() && (start[i] == ' ' || start[i] == '\t' || start[i] == '\r' || start[i] == '\n')) ++i;
    return i < start.size() && start[i] == '<' ? FileKind::XmlText : FileKind::Other;
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
    throw CliError(file.string() + ": neither a report package (zip) nor a definition XML text");
}

std::shared_ptr<Orvane> LoadDefinitionXml(const fs::path& file) {
    switch (KindOfFile(file)) {
        case FileKind::XmlText:
            return LoadXmlText(file);
        case FileKind::Package:
            throw CliError(file.string() + ": is a package; give the definition XML text");
        case FileKind::Other:
            break;
    }
    throw CliError(file.string() + ": not a definition XML text");
}

void HidePasswords(Orvane& rpt) {
    if (!rpt.eConections) return;
    for (const auto& cnn : *rpt.eConections)
        if (cnn) cnn->cnnString = platform::ScrubPasswords(cnn->cnnString);
}

}  // namespace orvane::cli
