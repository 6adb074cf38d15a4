// The outcomes of reading a definition text or a package (Orvane::ReadXML,
// Orvane::ReadXPDFile) and of saving one (Orvane::WriteXMLFile,
// Orvane::WriteXPDFile): whether it went well and, when not, why, in a form a
// host can show in its own way. FromXML, LoadXPDFile and SaveXPDFile show it
// as message boxes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/FileOps.h>

namespace orvane {

/// How reading a definition text or package went.
enum class ReadStatus {
    Ok,             ///< read: the definition holds what the text holds
    NotWellFormed,  ///< the text is not well-formed XML, or nests record sources too deep: see error
    NoFile,         ///< the package file does not exist
    NotAPackage,    ///< the file is no zip archive (archiveError empty) or not a readable one: see archiveError
    NoSource,       ///< the package holds no source.xml
    Refused,        ///< the package was refused whole: an entry larger than an entry may be, entries larger in all
                    ///< than a package may be, or too many; see archiveError
};

/// Where and why a text was refused.
struct ORVANE_API XmlTextError {
    int code = 0;             ///< the parser's error number (1000: record sources nested too deep)
    std::string description;  ///< the parser's reason
    std::size_t line = 0;     ///< 1-based
    std::size_t column = 0;   ///< 1-based, in characters
    std::size_t offset = 0;   ///< bytes from the start of the text
    std::string
        sourceText;  ///< the offending line (up to 60 bytes each side of the position, "..." where cut), passwords masked

    /// The parse-error message: "Error #: ", code, ": ", description, CR LF,
    /// "Line #: ", line, CR LF, "Line Position: ", column, CR LF,
    /// "Position In File: ", offset, CR LF, "Source Text: ", sourceText, CR LF.
    std::string Message() const;
};

/// A package entry left out, and why.
struct ORVANE_API RefusedEntry {
    std::string name;    ///< the entry's or resource's name
    std::string reason;  ///< why it was left out
};

/// The outcome of reading a definition text or package, with what was refused.
struct ORVANE_API DefinitionRead {
    ReadStatus status = ReadStatus::Ok;  ///< how the read went
    XmlTextError error;                 ///< NotWellFormed
    std::string archiveError;           ///< the zip library's first failure, also when entries could be read
    std::string rootName;               ///< Ok: the root element's tag; a root other than "Orvane" changes nothing
    std::vector<RefusedEntry> refused;  ///< package entries not read, and resources not restored

    /// True when status is Ok.
    bool ok() const { return status == ReadStatus::Ok; }
    /// Why no report was read, in Spanish, for a person: the parse-error
    /// message, or what the file or package is not. Also for a well-formed
    /// text whose root is no report. "" when a report was read.
    std::string Reason() const;
};

/// The outcome of saving a definition as a text or a package.
struct ORVANE_API DefinitionWrite {
    platform::FileResult file;         ///< the save: ok, or the step that failed and why
    std::vector<std::string> skipped;  ///< resources given no entry: their names are no plain file names

    /// True when the file was saved.
    bool ok() const { return file.ok(); }
};

}  // namespace orvane
