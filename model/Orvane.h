// Orvane: the root of a report definition. It owns the connections (each with
// its record-source tree), the parameters, the dialogs, the print formats and
// the resources, finds items by name, proposes fresh names, writes and reads
// the definition XML and the package file, and tells whether the definition
// changed since it was last loaded or saved.
//
// Create it any way: a plain object, std::make_shared or new. Connections
// point back to it weakly through ParentLink(), which works for all three.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <orvanespt/model/DefinitionRead.h>
#include <orvanespt/model/Forward.h>
#include <orvanespt/model/eConnection.h>
#include <orvanespt/model/eControl.h>
#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/model/ePrnFormat.h>
#include <orvanespt/model/eRSource.h>
#include <orvanespt/model/eResData.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// The root of a report definition: its connections, parameters, dialogs,
/// print formats and resources, read and written as XML or as a package.
class ORVANE_API Orvane : public std::enable_shared_from_this<Orvane> {
public:
    /// An empty definition, with its five collections created and not dirty.
    Orvane();
    /// A copy or a move would leave the connections pointing at the source.
    ///@{
    Orvane(const Orvane&) = delete;
    Orvane& operator=(const Orvane&) = delete;
    ///@}

    std::shared_ptr<Collection<eConnection>> eConections;  ///< the connections (one n: \ref kept_names)
    std::shared_ptr<Collection<eParameter>> eParameters;   ///< the report parameters
    std::shared_ptr<Collection<eDialog>> eDialogs;         ///< the parameter-entry dialogs
    std::shared_ptr<Collection<ePrnFormat>> ePrnFormats;   ///< the print formats; may be set to null by the host
    std::shared_ptr<Collection<eResData>> ResDataCollection;  ///< the resources (pictures, texts) of the package
    std::string Code;              ///< script code for the host
    std::string initialDialog;     ///< the dialog the host shows first; "" for none
    std::string initialPrnFormat;  ///< the print format the host uses first; "" for none
    std::string Name;              ///< the report's name
    std::string Info;              ///< a free description of the report
    std::string Lang;              ///< the language of the host's script code
    std::string InitialSign;       ///< the sign taken by the last SetHash
    /// The file the definition was read from (LoadXPDFile, or the host after
    /// FromXML); "" when none. Relative file paths in its connection strings
    /// are looked for in that file's folder first.
    std::string LoadedFrom;
    double Version = 0;  ///< as read from the XML; the writer always writes 1.0

    /// The first item whose name matches ignoring case, or null. On a const
    /// report they give const items, which the caller cannot change.
    ///@{
    std::shared_ptr<eConnection> GetConnection(const std::string& Name);
    std::shared_ptr<const eConnection> GetConnection(const std::string& Name) const;
    std::shared_ptr<eConnection> GetECnnByName(const std::string& Nm);
    std::shared_ptr<const eConnection> GetECnnByName(const std::string& Nm) const;
    std::shared_ptr<eDialog> GetDialog(const std::string& Name);
    std::shared_ptr<const eDialog> GetDialog(const std::string& Name) const;
    std::shared_ptr<ePrnFormat> GetFormat(const std::string& Name);
    std::shared_ptr<const ePrnFormat> GetFormat(const std::string& Name) const;
    std::shared_ptr<eResData> GetResdata(const std::string& Name);
    std::shared_ptr<const eResData> GetResdata(const std::string& Name) const;
    ///@}
    /// The parameter of that name, ignoring case and leading and trailing
    /// blanks on both sides, or null.
    ///@{
    std::shared_ptr<eParameter> GetParameter(const std::string& Name);
    std::shared_ptr<const eParameter> GetParameter(const std::string& Name) const;
    ///@}
    /// GetParameter's match without taking a share in it (valid while the
    /// definition holds it), for the run-time paths that look one up per query.
    ///@{
    eParameter* FindParameter(const std::string& Name);
    const eParameter* FindParameter(const std::string& Name) const;
    ///@}
    /// Depth-first, pre-order search of one record-source list.
    std::shared_ptr<eRSource> GetRSourceInCol(const Collection<eRSource>* Col, const std::string& Name) const;
    /// GetRSourceInCol over every connection's record sources, in order.
    ///@{
    std::shared_ptr<eRSource> GetRSource(const std::string& Name);
    std::shared_ptr<const eRSource> GetRSource(const std::string& Name) const;
    ///@}
    /// GetRSourceInCol over every dialog's record sources, in order.
    ///@{
    std::shared_ptr<eRSource> GetRSourceInDlg(const std::string& Name);
    std::shared_ptr<const eRSource> GetRSourceInDlg(const std::string& Name) const;
    ///@}

    /// What a connection's RPTParent holds: the owning shared_ptr's weak
    /// reference when one owns this report, else a handle that owns nothing
    /// and expires when the report is destroyed.
    std::weak_ptr<Orvane> ParentLink();

    /// Appends c and makes this report its parent; false, nothing changed,
    /// when c is null or a connection of that name exists.
    bool AddConnection(const std::shared_ptr<eConnection>& c);
    /// A new resource of that name appended to ResDataCollection, or null when
    /// one of that name exists.
    std::shared_ptr<eResData> NewResData(const std::string& Name);

    /// A prefix and the first counter value that no item of the kind uses.
    ///@{
    std::string UniqueDialogName() const;
    std::string UniqueResDataName() const;
    std::string UniqueFormatName() const;
    std::string GetNewCnnName() const;
    ///@}
    /// A fresh record-source name, free under connections and dialogs alike.
    std::string GetNewRSName() const;

    /// The version the XML writer writes: always 1.0.
    double GetVersion() const { return 1.0; }

    /// The definition XML, byte for byte the same for the same definition.
    std::string ToXML() const;
    /// Replaces connections, parameters, dialogs and print formats with those
    /// of the text. The text is the bytes of a file: UTF-8 (with or without a
    /// byte-order mark), UTF-16 with its byte-order mark, or the 8-bit
    /// encoding its declaration names (ISO-8859-1 to -16, windows-1250 to
    /// -1258). NotWellFormed, with the definition unchanged, when the text is
    /// not well-formed XML, names an encoding not read here or one its
    /// byte-order mark contradicts, or nests record sources deeper than
    /// kMaxRecordSourceDepth. A well-formed text whose root is not "Orvane"
    /// reads as Ok and changes nothing. Takes the sign in every case; shows
    /// no message.
    DefinitionRead ReadXML(const std::string& xmlData);
    /// ReadXML, showing the parse-error message when the text is refused.
    /// True when it was read.
    bool FromXML(const std::string& xmlData);

    /// Digest of ToXML(); "" when the digest fails.
    std::string GetHashSign() const;
    /// InitialSign = GetHashSign().
    void SetHash();
    /// True when the definition's XML changed since the last SetHash.
    bool IsDirty() const;

    /// Saves ToXML() to the file through platform::SaveWholeFile and takes
    /// the sign when it was saved. Shows no message. On failure the step and
    /// reason; the definition is unchanged, and so is the file unless only
    /// the folder's flush failed.
    DefinitionWrite WriteXMLFile(const std::string& sFile);
    /// Saves the package file (definition, resource index, resources) as
    /// WriteXMLFile saves the text. A resource whose name is no plain file
    /// name gets no entry and is listed in skipped; the rest is saved.
    DefinitionWrite WriteXPDFile(const std::string& sFile);
    /// WriteXPDFile, showing a message per resource skipped, then taking the
    /// sign whatever happened. True when a file of that name exists afterwards.
    bool SaveXPDFile(const std::string& sFile);
    /// Reads a package into this definition: its source.xml through ReadXML,
    /// then the resources it indexes. Shows no message; the status says why
    /// it failed, archiveError and refused what was left out.
    DefinitionRead ReadXPDFile(const std::string& sFile);
    /// ReadXPDFile, showing "Unzip: " and the archive's failure (a file that
    /// is no zip archive at all is none: false without a message), the
    /// parse-error message, and a message per picture not restored. True when
    /// the package held a source.xml that was read.
    bool LoadXPDFile(const std::string& sFile);

    /// Reads the resource index text, creating the resources it names that do
    /// not exist yet.
    void ReadResIndex(const std::string& indexText);

    /// Run time (data/Macros.cpp, data/ReportRuntime.cpp).
    /// The macro tokens of S in order of appearance: a plain name as written
    /// ("p1") or a braced text with its braces and tabs turned into blanks
    /// ("{p 1}"). Empty when there are none; an unclosed brace ends the scan.
    std::vector<std::string> GetMacros(const std::string& S) const;
    /// Sets every parameter's Value to its Predef text and drops any list of values.
    void IniParameters();
    /// True when every top-level record source is at its end (or was never
    /// opened); true without record sources. Children are not consulted.
    bool EOF_All() const;
    /// MoveNext on every top-level record source, in order. True when there is
    /// at least one and every move happened with its children reopened; false
    /// means this step's data may be incomplete. The end is told by EOF_All.
    /// Nothing is held between two steps: other connections and processes
    /// write at any time, and the next step shows what they committed.
    bool MoveNext_All();
    /// Does nothing: a walk holds nothing between its steps. Kept for hosts
    /// that end a walk stopped before its end.
    void EndWalk();

    /// Designer (model/FormulaDesigner.cpp). Runs the installed formula
    /// designer on TxtF and Fmt: the edited formula, with Fmt set to the chosen
    /// format, when the user accepts; TxtF, with Fmt untouched, when the user
    /// cancels or no designer is installed. Never raises.
    std::string ShowDesignerF(const std::string& TxtF, std::string& Fmt);

private:
    /// The size of the last XML text written, which the next one reserves.
    mutable std::atomic<std::size_t> lastXmlSize_{0};
    /// Owns nothing: its control block only tells the back-links whether this
    /// object still exists. Declared last so it expires before the
    /// collections are destroyed.
    std::shared_ptr<Orvane> anchor_;
};

}  // namespace orvane
