// Command and its positional parameters. A parameter is created with an ADO
// data type code, its value is converted for that type when it is set (a
// value that does not convert raises, so the caller can leave it out), and
// the parameters bind to the "?" marks in the order they were appended.
//
// How each type code binds is its row's Binding in the type table
// (data/ParameterTypes.h). Null and Empty values bind NULL for every type;
// codes the table refuses or does not hold raise.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane::data {

// The database side: data/ado/detail/Provider.h, which hosts do not see.
namespace detail {
struct BoundValue;
struct BatchRun;
class Provider;
}  // namespace detail

/// Command types.
///@{
constexpr int kCommandText = 1;
constexpr int kCommandTable = 2;
constexpr int kCommandStoredProcedure = 4;
///@}

/// A parameter bound to a command's "?" mark: its type and its value.
class ORVANE_API Parameter {
public:
    /// A parameter of that name, type code (an AdoType value) and size, with an Empty value.
    Parameter(std::string name, int typeCode, long size);
    /// Frees the bound value.
    ~Parameter();

    std::string Name;  ///< the parameter's name; the position, not the name, binds it
    int Type;          ///< its type code (an AdoType value)
    long Size;         ///< its size for texts and binary values; 0 for none

    /// The value, as converted for Type.
    const Variant& Value() const { return value_; }
    /// Converts the value for Type; raises DataError when it does not convert
    /// (the parameter then keeps its previous value).
    void Value(const Variant& v);
    /// The value as the provider binds it.
    const detail::BoundValue& Bound() const { return *bound_; }

private:
    Variant value_;
    // Never null; held apart so that this header needs no database types.
    std::unique_ptr<detail::BoundValue> bound_;
};

/// A command's parameters, in the order of its marks.
class ORVANE_API ParameterList {
public:
    /// Adds a parameter; raises DataError for a null one.
    void Append(std::shared_ptr<Parameter> p);
    /// The number of parameters.
    std::size_t Count() const { return items_.size(); }
    /// 0-based; raises DataError out of range.
    std::shared_ptr<Parameter> Item(std::size_t index) const;
    /// 0-based, without a share in it; null out of range.
    Parameter* At(std::size_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }
    /// Puts p at index, replacing the parameter there, or appends it when
    /// index is Count(); raises DataError for a null p or a larger index.
    void Set(std::size_t index, std::shared_ptr<Parameter> p);
    /// Keeps the first count parameters.
    void Truncate(std::size_t count) {
        if (count < items_.size()) items_.resize(count);
    }

private:
    friend class Command;
    std::vector<std::shared_ptr<Parameter>> items_;
};

/// The text with its i-th "?" parameter mark written as counts[i] marks
/// joined by ", ", for parameters bound with a list of values. A "?" inside
/// quotes ('', "", ``, []) or a comment (--, /* */) is not a mark. Raises
/// DataError when the text holds another number of marks than counts, or a
/// numbered mark ("?1"), which a list cannot follow.
ORVANE_API std::string ExpandParameterMarks(const std::string& sql, std::span<const std::size_t> counts);

/// How many "?" parameter marks the text holds, counted as
/// ExpandParameterMarks does; nullopt when one is numbered ("?1"), whose
/// count says nothing of the parameters it takes.
ORVANE_API std::optional<std::size_t> CountParameterMarks(const std::string& sql);

/// A statement to run on a connection, with its parameters.
class ORVANE_API Command {
public:
    std::string CommandText;             ///< the statement, a table name or a procedure name
    int CommandType = kCommandText;      ///< kCommandText, kCommandTable or kCommandStoredProcedure
    std::shared_ptr<Connection> ActiveConnection;  ///< the connection it runs on

    /// A new parameter for this command (not yet appended to Parameters()).
    std::shared_ptr<Parameter> CreateParameter(const std::string& name, int typeCode, long size = 0) const;
    /// The parameters bound in order to the command's marks.
    ParameterList& Parameters() { return params_; }

    /// Runs the command. The result (a closed recordset when the statement
    /// returns no rows). Raises DataError without an open connection, for an
    /// unknown command type, a stored procedure on a database without them,
    /// or when the provider refuses the command.
    std::shared_ptr<Recordset> Execute();
    /// Runs the command as Execute() does. When `reuse` is the only owner of
    /// its recordset, that object takes the result in place of its old rows
    /// and is returned, which spares re-querying the same source its
    /// allocations; otherwise `reuse` is just let go.
    std::shared_ptr<Recordset> Execute(std::shared_ptr<Recordset> reuse);
    /// The names of the result's columns, from the statement prepared against
    /// the database without fetching a row where the driver allows (SQLite,
    /// ODBC); empty when it returns no rows. Raises as Execute() does.
    std::vector<std::string> Describe();

    /// Runs the batch of texts and values (of parameters such as this
    /// command's) one after the other, as Execute() would each, and appends
    /// the recordset of each run to `out`, filling the recordsets of `reuse`
    /// that nobody else holds first, until they hold rowCap rows. Stops
    /// without raising at a run that fails or returns no rows. For a walk
    /// reading ahead, which runs again what did not run here.
    ORVANE_LOCAL void ExecuteEach(std::span<const detail::BatchRun> runs, std::size_t rowCap,
                                  std::vector<std::shared_ptr<Recordset>>& reuse,
                                  std::vector<std::shared_ptr<Recordset>>& out);

private:
    /// The statement sent for CommandText and CommandType with count
    /// parameters; raises for an unknown type or an empty text.
    ORVANE_LOCAL std::string Statement(detail::Provider& provider, std::size_t count) const;
    /// Hands the statement and the bound values to the connection's Trace.
    void TraceSent(const Connection& cnn, const std::string& sql) const;
    ORVANE_LOCAL void TraceSent(const Connection& cnn, const std::string& sql,
                                std::span<const detail::BoundValue* const> values) const;

    ParameterList params_;
};

}  // namespace orvane::data
