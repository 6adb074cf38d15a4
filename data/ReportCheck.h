// The mistakes a report definition can hold that the run-time operations
// only meet as a failed or silently wrong query: macros and SendParameters
// naming no parameter, "?" marks that do not pair with the parameters sent,
// filter and sort texts that do not parse, links and bindings naming nothing,
// names that a lookup cannot tell apart, defaults their type cannot read and,
// when asked to open the data, connections and queries that fail and fields
// that the results do not have. One function finds them all, for the
// command-line host, the designer and other hosts alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane {
class Orvane;
class eRSource;
}  // namespace orvane

namespace orvane::data {

/// What a finding of CheckReport is about.
enum class FindingKind {
    UnknownMacro,            ///< a macro of a query, filter or sort naming no parameter
    UnclosedMacro,           ///< "@{" without "}": no later macro of the text is replaced
    UnknownSendParameter,    ///< a SendParameters name with no parameter
    MarkCount,               ///< the "?" marks of a query and the parameters sent differ in number
    BadFilter,               ///< a filter text that does not parse
    BadSort,                 ///< a sort text that does not parse
    UnknownLinkedParameter,  ///< idParameterLinked naming no parameter
    UnknownConnection,       ///< a record source whose ecnnName names no connection, or none
    DuplicateName,           ///< two items of one kind whose names a lookup cannot tell apart
    BadDefault,              ///< a parameter default its type cannot read
    UnknownBinding,          ///< a control's BindObject naming no parameter or record source
    UnknownSource,           ///< a control's SourceName, or a grid cell's source, naming no record source
    BadGrid,                 ///< a print-grid control whose table layout does not read
    ConnectionFailed,        ///< with open: the connection did not open
    QueryFailed,             ///< with open: the query could not be prepared
    MissingField,            ///< with open: a link, filter, sort or binding names a field the result lacks
    KeepsRows,               ///< information: the record source keeps its rows between its parent's moves
};

/// How much a finding matters.
enum class Severity {
    Error,  ///< the report fails or shows wrong data
    Info,   ///< worth knowing; not a mistake
};

/// One step of the way to an item: its kind and name.
struct ORVANE_API PlaceStep {
    /// The kinds of item a place passes through.
    enum class Kind { Connection, RecordSource, Parameter, Dialog, Format, Control, Resource };
    Kind kind;         ///< the item's kind
    std::string name;  ///< the item's name
};

/// One mistake (or piece of information) CheckReport found, and where.
struct ORVANE_API Finding {
    FindingKind kind;                     ///< what it is about
    Severity severity = Severity::Error;  ///< how much it matters
    std::vector<PlaceStep> place;  ///< from the top of the definition to the item
    std::string name;              ///< the offending name or text as written
    std::string message;           ///< in Spanish, for a person
};

/// What CheckReport does besides reading the definition.
struct ORVANE_API CheckOptions {
    /// Also open each connection and prepare each query against the database
    /// (rows are not fetched where the driver allows): finds connections and
    /// queries that fail and fields missing from the results. The
    /// connections are left open in ADOCnn.
    bool open = false;
    /// When set, asked for every record source of a connection; each one it
    /// answers true for gets a KeepsRows finding.
    std::function<bool(const eRSource&)> keepsRows;
};

/// Every mistake found in rpt, in the order of the definition: connections
/// with their record sources, parameters, dialogs, print formats, then the
/// names. The parameters' values are set to their defaults while the texts are
/// checked and given back afterwards. Never raises.
ORVANE_API std::vector<Finding> CheckReport(Orvane& rpt, const CheckOptions& options = {});

/// "conexión ventas / origen pedidos": the place as a person reads it.
ORVANE_API std::string PlaceText(const std::vector<PlaceStep>& place);
/// Stable identifiers for programs: "unknown_macro", "record_source", ...
///@{
ORVANE_API const char* KindId(FindingKind kind);
ORVANE_API const char* PlaceKindId(PlaceStep::Kind kind);
ORVANE_API const char* SeverityId(Severity severity);
///@}

}  // namespace orvane::data
