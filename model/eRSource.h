// eRSource: one record source (a query) with its child record sources, which
// are re-queried from this one's current record at run time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// Deepest record-source nesting (a top-level record source is at depth 1).
/// A definition text nested deeper is refused by the reader, so no tree too
/// deep to walk, show or destroy comes out of a text. Deeper record sources a
/// host built are not searched or shown; the XML writer keeps them.
inline constexpr int kMaxRecordSourceDepth = 256;

/// A record source: a query on a connection, with child record sources
/// re-queried from its current record at run time.
class ORVANE_API eRSource : public std::enable_shared_from_this<eRSource> {
public:
    eRSource();
    ~eRSource();
    eRSource(const eRSource&) = delete;
    eRSource& operator=(const eRSource&) = delete;

    std::string Name;                    ///< the record source's name in the report
    std::string CursorLocation;          ///< stored setting, decimal text
    std::string CursorType;              ///< stored setting, decimal text
    std::string TypeofCommand;           ///< "1" text, "2" table, "4" stored procedure
    std::string LockType;                ///< stored setting, decimal text
    std::string eFieldNametoParameters;  ///< field of this source copied into idParameterLinked
    std::string idParameterLinked;       ///< report parameter the children read
    std::string SendParameters;          ///< parameter names bound to the command, "," separated
    std::string Filter;                  ///< design-time filter
    std::string Order;                   ///< design-time sort
    std::string SQLCommand;              ///< command text with macros
    std::string RTFilter;                ///< run-time filter, never persisted
    std::string RTOrder;                 ///< run-time sort, never persisted
    /// Run time, never persisted: when a parent's move would run this child's
    /// query again with the same text and the same bound values on an unchanged
    /// database, its rows are kept instead. On by default because the rows are
    /// then those the query would give, so every report gains without editing;
    /// a query calling a function whose result changes between runs (RANDOM(),
    /// the current time: data::ChangingFunction) is run again all the same.
    bool ReuseRows = true;

    std::shared_ptr<Collection<eRSource>> eRSources;  ///< children
    std::weak_ptr<eConnection> eCnn;                  ///< the connection used; non-owning
    std::shared_ptr<data::Recordset> ADORecordset;    ///< open recordset at run time

    /// Connection name. While eCnn is set, reading copies eCnn's Name into the
    /// stored value first and writing is ignored.
    ///@{
    std::string ecnnName() const;
    void ecnnName(const std::string& value);
    ///@}

    /// First direct child with that name (case-insensitive), or null; const
    /// on a const record source.
    ///@{
    std::shared_ptr<eRSource> GeteRSource(const std::string& Name);
    std::shared_ptr<const eRSource> GeteRSource(const std::string& Name) const;
    ///@}
    /// Removes the first direct child with that name; nothing when none.
    void DelRSource(const std::string& Name);
    /// Appends child and gives it, and every record source under it without a
    /// connection, this one's connection (eCnn). False, nothing changed, when
    /// child is null or a direct child of that name exists.
    bool AddRSource(const std::shared_ptr<eRSource>& child);

    // Run time (data/Macros.cpp, data/RecordSource*.cpp). None raises.

    /// sSql with its macros replaced: system macros, then report parameters
    /// (plain: the SQL literal; braced: the raw value). A token that names
    /// nothing, a field reference or a print macro stays as written. The text
    /// unchanged when there is no connection or no report.
    std::string ReplaceMacros(const std::string& sSql) const;

    /// Runs the query on the connection's open ADOCnn (macros replaced, the
    /// SendParameters bound in order), applies RTFilter and RTOrder, and opens
    /// the children. It always runs the query: only a parent reopening its
    /// children may keep their rows (ReuseRows). False when the connection is
    /// not open, the command type is not a whole number, the provider refuses the
    /// command, it returns no recordset, or the last child fails;
    /// LastOpenError then says why.
    bool OpenRecordsource();
    /// Sets the recordset's filter to RTFilter with macros replaced ("" removes
    /// it). False when there is no recordset or it refuses the text;
    /// LastFilterError then says why.
    bool ApplyFilter();
    /// Sets the recordset's sort to RTOrder with macros replaced. A Variant
    /// holding true, or false when there is no recordset or it refuses the
    /// text; LastSortError then says why.
    Variant ApplySort();
    /// Why the last ApplyFilter / ApplySort failed (the text and the reason);
    /// "" after a success.
    ///@{
    std::string LastFilterError, LastSortError;
    ///@}
    /// Copies eFieldNametoParameters of the current record into the parameter
    /// idParameterLinked (kept when it cannot be read), then reopens every
    /// child with its design-time Filter and Order. A child that KeepsRows,
    /// whose query would be the same as for the rows it holds (its text with
    /// macros replaced, its command type and bound values) and was the same
    /// for the open before, while its connection tells the database has not
    /// changed since they were read (data::Connection::ReadState; asked only
    /// for a query that repeats), keeps those rows: its filter and sort
    /// applied again and the cursor on its first row, as a fresh query leaves
    /// them. A child that keeps rows may also serve rows read ahead at an
    /// earlier record for this record's link value, under the same
    /// conditions. True without children, otherwise the last child's result.
    bool RefreshChilds();
    /// Whether a parent's move may keep this record source's rows instead of
    /// running its query again (RefreshChilds): ReuseRows is on, the command
    /// type is a number other than 4 (a stored procedure's body is not seen),
    /// and the query text with its macros replaced as they stand now calls no
    /// function whose result changes between runs (data::ChangingFunction).
    bool KeepsRows() const;

    /// Move the recordset, then RefreshChilds(). False without an open
    /// recordset; a move past either end is ignored and the children are
    /// reopened all the same.
    ///@{
    bool MoveNext();
    bool MovePrevious();
    bool MoveLast();
    bool MoveFirst();
    ///@}

    /// EOF and BOF of the recordset; true without an open recordset. (Named
    /// Eof and Bof because EOF is a macro of the C library.)
    ///@{
    bool Eof() const;
    bool Bof() const;
    ///@}

    /// Why the last OpenRecordsource, RefreshChilds or move returned false
    /// when a child failed to open; "" after a success. Holds the provider's
    /// text, never a password.
    std::string LastOpenError;

private:
    struct Kept;
    /// OpenRecordsource; mayReuse lets the rows held be kept (see RefreshChilds).
    bool Open(bool mayReuse);
    /// Gives the command one parameter per SendParameters name, reusing the
    /// parameters it holds from the last open; a parameter that cannot be
    /// created or given its value is left out. Clears same when the
    /// parameters or their values differ from the last open's. Returns why
    /// each was left out ("" when none was), for the error of a command that
    /// then fails. A list of values binds one per value and widens its "?" in
    /// a text command to as many; raises DataError when the marks and the
    /// parameters do not pair up.
    std::string BindParameters(data::Command& command, const Orvane* rpt, bool& same) const;
    // BindParameters, also listing in linkAt the positions given link's value.
    ORVANE_LOCAL std::string BindParameters(data::Command& command, const Orvane* rpt, bool& same,
                                            const eParameter* link, std::vector<std::size_t>* linkAt) const;
    /// The held rows made current again as a fresh open of them would be.
    void ReuseRowsHeld(std::shared_ptr<data::Recordset> rows);
    // After the children opened for the current record: runs ahead the
    // queries of the children that keep rows for the next records' values of
    // the link parameter, which is left as it was.
    ORVANE_LOCAL void ReadAhead(eParameter& linked);
    // Runs this record source's query for each value of the link parameter
    // and keeps the rows to be served in that order (see Open).
    ORVANE_LOCAL void FillAhead(eParameter& linked, const std::vector<Variant>& values);
    // Whether Open is answered by rows read before, on comparing what the
    // query is made from: the rows held, for a link that repeats (kept, and
    // left as they were), or the front rows read ahead (served, as fresh).
    enum class Served { No, Kept, Ahead };
    ORVANE_LOCAL Served ServeAhead(const eConnection* cnn, std::shared_ptr<data::Recordset>& previous,
                                   std::uint64_t keptState);
    std::shared_ptr<Orvane> Report() const;

    /// The command of the last open, kept across opens with its parameters,
    /// and what is needed to tell whether that open would give the same rows.
    std::unique_ptr<Kept> kept_;

    mutable std::string ecnnName_;
};

}  // namespace orvane
