// The package file (a zip archive holding source.xml, the resource index
// resdata.xml and one NAME.img / NAME.txt entry per resource) and the loading
// of resources from files.
//
// Decisions that shape this file:
// - Packages are built and read in memory, never through a working folder:
//   the entries, results and the clean temporary folder are the same as with
//   one, it is faster, and no report or resource name can steer a file
//   outside the temporary folder or collide with another process's folder.
// - A resource whose name is not a plain file name ("", ".", "..", or holding
//   '/', '\' or ':') gets no entry: SaveXPDFile names it in a message
//   (exclamation icon) and saves the rest, the index still listing it, as
//   every other failing step of the save is skipped.
// - Of resources whose names differ only in letter case the first is written
//   (the reader keeps the first of such names too). More than 98 resources
//   are all written; the reader accepts up to zip::kMaxEntries entries.
// - A package file that is missing, or is no zip archive at all, gives false
//   quietly. A damaged archive, or one over the size limits, shows "Unzip: "
//   and the reason (exclamation icon); loading goes on with the entries that
//   were read.
#include <filesystem>
#include <pugixml.hpp>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/model/detail/ReadText.h>
#include <orvanespt/model/detail/Texts.h>
#include <orvanespt/model/detail/XmlLookup.h>
#include <orvanespt/model/detail/XmlParse.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/RuntimeServices.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/Zip.h>

namespace orvane {

namespace msg = model::msg;
using namespace detail;  // the XML parsing and lookup helpers
namespace {

using platform::RuntimeServices;

constexpr std::string_view kSourceEntry = "source.xml";
constexpr std::string_view kIndexEntry = "resdata.xml";
constexpr std::string_view kPictureExt = ".img";
constexpr std::string_view kTextExt = ".txt";

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("/\\:") == std::string_view::npos;
}

std::string EntryName(const eResData& r) {
    return r.Name + std::string(r.ResType == rtPicture ? kPictureExt : kTextExt);
}

std::string BuildIndex(const Collection<eResData>* resources) {
    int count = 0;
    std::string items;
    if (resources) {
        for (const auto& r : *resources) {
            if (!r) continue;
            ++count;
            items += "<eResData Name=";
            AppendAttrValue(items, r->Name);
            items += " Type=\"" + std::to_string(r->ResType) + "\" />";
        }
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<eResDataCol Count=\"" + std::to_string(count) + "\" >" +
           items + "</eResDataCol>";
}

using msg::kBadPicture;

// Keeps a picture made from the bytes, or keeps the old one.
bool TakePicture(eResData& r, std::string bytes) {
    auto picture = Picture::FromBytes(std::move(bytes));
    if (!picture) return false;
    r.PicData = std::move(picture);
    r.ResType = rtPicture;
    return true;
}

// Keeps a picture made from the bytes, or shows why not and keeps the old one.
bool AcceptPicture(eResData& r, std::string bytes) {
    if (TakePicture(r, std::move(bytes))) return true;
    platform::ShowMessage(kBadPicture);
    return false;
}

// The attribute of that name: exact first, else by local name ignoring case.
std::optional<std::string_view> FindNamedAttribute(const pugi::xml_node& node, const char* name) {
    if (auto exact = node.attribute(name)) return std::string_view(exact.value());
    return XmlAttributes(node, true).Find(name);
}

bool LocalNameIs(const pugi::xml_node& node, std::string_view wanted) {
    std::string_view full = node.name();
    auto colon = full.find(':');
    return text::EqualsIgnoreCase(colon == std::string_view::npos ? full : full.substr(colon + 1), wanted);
}

// The entries by lower-cased name; of names equal ignoring case the first.
using EntryMap = std::unordered_map<std::string, std::string*>;

EntryMap MapEntries(std::vector<platform::zip::Entry>& entries) {
    EntryMap map;
    for (auto& e : entries) map.emplace(text::Lower(e.name), &e.data);
    return map;
}

std::string* FindEntry(const EntryMap& map, std::string_view name) {
    auto it = map.find(text::Lower(name));
    return it == map.end() ? nullptr : it->second;
}

}  // namespace

DefinitionWrite Orvane::WriteXPDFile(const std::string& sFile) {
    DefinitionWrite result;
    std::vector<std::shared_ptr<eResData>> resources;
    if (ResDataCollection) {
        for (const auto& r : *ResDataCollection)
            if (r) resources.push_back(r);
    }
    const std::string source = ToXML();
    const std::string index = BuildIndex(ResDataCollection.get());
    std::vector<platform::zip::Source> sources{{std::string(kSourceEntry), source}, {std::string(kIndexEntry), index}};
    std::unordered_set<std::string> taken;
    for (const auto& r : resources) {
        if (!IsPlainFileName(r->Name)) {
            result.skipped.push_back(r->Name);
            continue;
        }
        if (!taken.insert(text::Lower(r->Name)).second) continue;
        if (r->ResType != rtPicture) {
            sources.push_back({EntryName(*r), r->TextData});
        } else if (r->PicData) {
            sources.push_back({EntryName(*r), r->PicData->Bytes()});
        }
    }
    result.file = platform::zip::SaveArchive(sFile, sources);
    if (result.ok()) SetHash();
    return result;
}

bool Orvane::SaveXPDFile(const std::string& sFile) {
    const DefinitionWrite written = WriteXPDFile(sFile);
    for (const auto& name : written.skipped)
        platform::ShowMessage(msg::ResourceNotSaved(name), platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    SetHash();
    return RuntimeServices::FileExists(sFile);
}

DefinitionRead Orvane::ReadXPDFile(const std::string& sFile) {
    DefinitionRead result;
    if (!RuntimeServices::FileExists(sFile)) {
        result.status = ReadStatus::NoFile;
        return result;
    }
    platform::zip::ReadResult archive = platform::zip::ReadArchive(sFile);
    result.archiveError = std::move(archive.error);
    for (auto& name : archive.refused) result.refused.push_back({std::move(name), msg::kEntryRefused});
    const EntryMap entries = MapEntries(archive.entries);

    std::string* source = FindEntry(entries, kSourceEntry);
    if (!source) {
        result.status = !archive.opened        ? ReadStatus::NotAPackage
                        : archive.refusedWhole ? ReadStatus::Refused
                                               : ReadStatus::NoSource;
        return result;
    }
    const std::string* index = FindEntry(entries, kIndexEntry);
    DefinitionRead read = detail::ReadXmlReleasing(*this, *source);
    result.status = read.status;
    result.error = std::move(read.error);
    result.rootName = std::move(read.rootName);
    if (!result.ok()) return result;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(sFile, ec);
    LoadedFrom = ec ? sFile : absolute.string();
    ReadResIndex(index ? *index : std::string());

    if (!ResDataCollection) return result;
    for (const auto& r : *ResDataCollection) {
        if (!r) continue;
        std::string* data = FindEntry(entries, EntryName(*r));
        if (!data) continue;
        if (r->ResType == rtPicture) {
            if (!TakePicture(*r, std::move(*data))) result.refused.push_back({EntryName(*r), kBadPicture});
        } else {
            r->TextData = std::move(*data);
            r->ResType = rtText;
        }
    }
    return result;
}

std::string DefinitionRead::Reason() const {
    switch (status) {
        case ReadStatus::Ok: break;
        case ReadStatus::NotWellFormed: return error.Message();
        case ReadStatus::NoFile: return msg::kNoFile;
        case ReadStatus::NotAPackage: return archiveError.empty() ? msg::kNotAPackage : msg::kPackageDamaged + (": " + archiveError);
        case ReadStatus::NoSource: return msg::kNoSource;
        case ReadStatus::Refused: return msg::kPackageDamaged + (": " + archiveError);
    }
    return text::EqualsIgnoreCase(rootName, "Orvane") ? std::string() : msg::kNotADefinition;
}

bool Orvane::LoadXPDFile(const std::string& sFile) {
    const DefinitionRead read = ReadXPDFile(sFile);
    if (!read.archiveError.empty())
        platform::ShowMessage(msg::kUnzip + read.archiveError, platform::MsgButtons::Ok,
                              platform::MsgIcon::Exclamation);
    if (read.status == ReadStatus::NotWellFormed) platform::ShowMessage(read.error.Message());
    for (const auto& refused : read.refused)
        if (refused.reason == kBadPicture) platform::ShowMessage(kBadPicture);
    return read.ok();
}

void Orvane::ReadResIndex(const std::string& indexText) {
    if (indexText.empty()) return;
    pugi::xml_document doc;
    if (ParseXml(indexText, doc)) return;
    for (const auto& col : doc.children()) {
        if (col.type() != pugi::node_element || !LocalNameIs(col, "eResDataCol")) continue;
        for (const auto& item : col.children()) {
            if (item.type() != pugi::node_element) continue;
            auto name = FindNamedAttribute(item, "Name");
            if (!name) continue;
            auto resource = NewResData(std::string(*name));
            if (!resource) continue;
            auto type = FindNamedAttribute(item, "Type");
            resource->ResType = type ? platform::ParseLocaleInt32(*type).value_or(0) : 0;
        }
    }
}

bool eResData::LoadTextFromFile(std::string& FileName) {
    FileName = platform::ResolvePath(FileName);
    auto content = RuntimeServices::ReadTextFile(FileName);
    if (!content) return false;
    TextData = std::move(*content);
    ResType = rtText;
    return true;
}

bool eResData::LoadTextFromFile(const std::string& FileName) {
    std::string name = FileName;
    return LoadTextFromFile(name);
}

bool eResData::LoadPictureFromFile(std::string& FileName) {
    FileName = platform::ResolvePath(FileName);
    if (!RuntimeServices::FileExists(FileName)) return false;
    auto bytes = RuntimeServices::ReadTextFile(FileName);
    return AcceptPicture(*this, bytes ? std::move(*bytes) : std::string());
}

bool eResData::LoadPictureFromFile(const std::string& FileName) {
    std::string name = FileName;
    return LoadPictureFromFile(name);
}

}  // namespace orvane
