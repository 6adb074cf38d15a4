// Recordset: a client-side, fully materialized result. All rows are read when
// the command runs; moves, Filter and Sort then work on the rows in memory.
// Filter and Sort take ADO's expression syntax (see FilterExpression.h for
// the grammar and the decisions on its open points).
//
// Decisions: text comparison in filters and sorts ignores case (ASCII and
// Latin-1 letters) and orders by code point; Null sorts before every value
// ascending and after it descending; sorting is stable, and setting Filter or
// Sort moves to the first visible row. A filter compares with each cell's own
// kind: numbers numerically, dates as dates, texts as texts (a number literal
// against a text cell compares with the literal's digits, a date literal
// parses the cell's text); a truth value equals a number when both are
// non-zero or both zero. Null cells match only "= NULL". LIKE compares the
// text form of the cell; * and % match any run of characters anywhere in the
// pattern, every other character stands for itself.
//
// EOF and BOF are Eof() and Bof() here, because EOF is a macro of <cstdio>.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane::data {

namespace detail {
struct Table;
}

class Recordset;

/// One column of a recordset; reads the recordset's current record.
class ORVANE_API Field {
public:
    /// The column at index of owner's rows, named name (both kept, not copied).
    Field(const Recordset* owner, std::size_t index, const std::string* name)
        : owner_(owner), index_(index), name_(name) {}
    /// The column's name as the result gives it.
    const std::string& Name() const;
    /// The value in the current record; raises DataError at BOF/EOF or when closed.
    Variant Value() const;
    /// The value `ahead` visible rows past the current record, without moving;
    /// nullopt past the last row, at BOF/EOF or when closed.
    std::optional<Variant> ValueAhead(std::size_t ahead) const;

private:
    friend class FieldList;
    const Recordset* owner_;
    std::size_t index_;
    const std::string* name_;  ///< the column's name, held by the recordset's rows
};

/// The fields of a recordset's current row, by position or by name.
class ORVANE_API FieldList {
public:
    /// The number of fields (columns).
    std::size_t Count() const { return fields_.size(); }
    /// By position (0-based) or by name ignoring case; raises DataError when
    /// there is no such field.
    ///@{
    const Field& Item(std::size_t index) const;
    const Field& Item(std::string_view name) const {
        // A host reads the same field row after row: the name found last is
        // tried first, inline. It is taken only when spelled the same, so a
        // name that two columns share ignoring case still finds the first.
        if (lastFound_ < fields_.size() && *fields_[lastFound_].name_ == name) return fields_[lastFound_];
        return Find(name);
    }
    ///@}
    /// Item, as a host writes it: fields("name") or fields(0). A negative
    /// position raises DataError.
    ///@{
    const Field& operator()(std::size_t index) const { return Item(index); }
    const Field& operator()(int index) const;
    const Field& operator()(std::string_view name) const { return Item(name); }
    const Field& operator()(const char* name) const { return Item(std::string_view(name)); }
    ///@}
    /// The fields in column order.
    ///@{
    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }
    ///@}

private:
    friend class Recordset;
    const Field& Find(std::string_view name) const;
    std::vector<Field> fields_;
    mutable std::size_t lastFound_ = 0;
};

/// Most rows a recordset holds in memory unless the connection sets another
/// limit (Connection::RowLimit); a larger result fails with a DataError.
constexpr std::size_t kDefaultRowLimit = 5'000'000;

/// What State() of a connection or recordset says, as ADO's object states.
///@{
constexpr int kStateClosed = 0;
constexpr int kStateOpen = 1;
///@}

/// The rows a command returned, held in memory, with a cursor, a filter and
/// a sort over them.
class ORVANE_API Recordset {
public:
    /// An open recordset over stored rows; a null table gives a closed one
    /// (what a command that returns no rows yields).
    ORVANE_LOCAL explicit Recordset(std::shared_ptr<detail::Table> table);
    /// Closes the recordset.
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// kStateOpen (1) when open, kStateClosed (0) when closed.
    int State() const { return table_ ? kStateOpen : kStateClosed; }
    /// True past the last / before the first visible row; both on an empty
    /// result, and both when closed.
    ///@{
    bool Eof() const { return !table_ || visible_.empty() || pos_ >= static_cast<std::ptrdiff_t>(visible_.size()); }
    bool Bof() const { return !table_ || visible_.empty() || pos_ < 0; }
    ///@}

    /// Moving past either end leaves the recordset at EOF / BOF; moving further
    /// in that direction raises DataError, as does moving a closed recordset.
    /// MoveFirst and MoveLast on an empty result do nothing.
    ///@{
    void MoveNext() {
        if (Eof()) MoveNextRefused();
        ++pos_;
        assert(pos_ >= 0 && pos_ <= static_cast<std::ptrdiff_t>(visible_.size()));
    }
    void MovePrevious();
    void MoveFirst();
    void MoveLast();
    ///@}

    /// Number of visible rows (after the filter).
    std::size_t RecordCount() const;

    /// The filter text in force; "" for none.
    const std::string& Filter() const { return filter_; }
    /// Applies a filter text; "" removes it. Raises ExpressionError for a text
    /// it cannot read or a field it does not have, leaving the previous filter.
    void Filter(std::string_view text);

    /// The sort text in force; "" for none.
    const std::string& Sort() const { return sort_; }
    /// Orders the rows by a sort text; "" restores the original order. Raises
    /// ExpressionError like Filter.
    void Sort(std::string_view text);

    /// Raises DataError when closed.
    const FieldList& Fields() const {
        if (!table_) RequireOpen();
        return fields_;
    }

    /// A new recordset over the same rows, as the command left them: no filter
    /// or sort, on the first row. Raises DataError when closed.
    std::shared_ptr<Recordset> Clone() const;

    /// Releases the rows; State becomes 0. Closing twice does nothing.
    void Close();

private:
    friend class Field;
    friend class FieldList;
    friend class Command;
    /// Holds a new result (null: none) as a recordset made for it would.
    ORVANE_LOCAL void Reopen(std::shared_ptr<detail::Table> table);
    /// Lets go of the rows, keeping the room of its own lists.
    void Detach();
    void RequireOpen() const;
    [[noreturn]] void MoveNextRefused() const;
    std::size_t ColumnIndex(std::string_view name) const;
    std::vector<std::uint32_t> FilteredRows(std::string_view text) const;
    void SortRows(std::vector<std::uint32_t>& rows, std::string_view text) const;

    std::shared_ptr<detail::Table> table_;
    FieldList fields_;
    std::vector<std::uint32_t> visible_;  ///< row numbers in presentation order
    std::ptrdiff_t pos_ = 0;              ///< -1 BOF, visible_.size() EOF
    std::string filter_;
    std::string sort_;
};

}  // namespace orvane::data
