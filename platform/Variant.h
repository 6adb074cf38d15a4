// Variant: the one dynamic value type of the library. Parameter values,
// recordset fields, extended-property values and print-row keys are Variants.
// The conversions the rest of the code needs (text form, number, truth value,
// date) live here so they behave the same everywhere.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Decimal.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// Base of every object a Variant (or a LinkObject) can hold by reference.
/// Hosts derive their own objects from it.
class ORVANE_API HostObject {
public:
    virtual ~HostObject() = default;
};

/// The one dynamic value type: empty, null, a truth value, a number, a text,
/// a date or a host object, with the conversions every part of the library shares.
class ORVANE_API Variant {
public:
    /// What a Variant holds.
    enum class Kind {
        Empty,    ///< never assigned
        Null,     ///< the database null
        Bool,     ///< truth value
        Int,      ///< 64-bit integer
        Double,   ///< floating point
        Decimal,  ///< exact decimal (NUMERIC, DECIMAL, money)
        Text,     ///< UTF-8 text
        Date,     ///< DateTime
        Object,   ///< shared reference to a HostObject
    };

    /// An Empty value.
    Variant() = default;
    /// A value of the matching kind: integers as Int, float as Double, a null
    /// const char* as "".
    ///@{
    Variant(bool v) : v_(v) {}
    Variant(int v) : v_(static_cast<std::int64_t>(v)) {}
    Variant(long v) : v_(static_cast<std::int64_t>(v)) {}
    Variant(long long v) : v_(static_cast<std::int64_t>(v)) {}
    Variant(double v) : v_(v) {}
    Variant(float v) : v_(static_cast<double>(v)) {}
    Variant(Decimal v) : v_(std::move(v)) {}
    Variant(std::string v) : v_(std::move(v)) {}
    Variant(const char* v) : v_(std::string(v ? v : "")) {}
    Variant(DateTime v) : v_(v) {}
    Variant(std::shared_ptr<HostObject> v) : v_(std::move(v)) {}
    ///@}
    /// The database null.
    static Variant MakeNull() {
        Variant n;
        n.v_ = NullTag{};
        return n;
    }

    /// The kind of value held.
    Kind kind() const { return static_cast<Kind>(v_.index()); }
    /// True when never assigned.
    bool IsEmpty() const { return kind() == Kind::Empty; }
    /// True when holding the database null.
    bool IsNull() const { return kind() == Kind::Null; }

    /// The value held, without conversion; nullopt or null when the Variant
    /// holds another kind.
    ///@{
    std::optional<bool> AsBool() const;
    std::optional<std::int64_t> AsInt() const;
    std::optional<double> AsDouble() const;
    const Decimal* AsDecimal() const;
    const std::string* AsText() const;
    std::optional<DateTime> AsDate() const;
    std::shared_ptr<HostObject> AsObject() const;
    ///@}

    /// Default text form: "" for Empty, "True"/"False", plain decimal integers,
    /// doubles in the shortest form up to 15 significant digits with the
    /// user locale's decimal separator, decimals with every digit of their
    /// scale and that separator, dates as DateTime::ToIsoText. Null and
    /// objects have no text form: nullopt.
    std::optional<std::string> Text() const;
    /// Text() or "" when there is none.
    std::string TextOr(std::string fallback = {}) const;

    /// Numeric reading: numbers as they are (decimals as the nearest double), truth values as -1/0, dates as
    /// their serial, texts by their longest leading number (nullopt when the
    /// text has none). Empty reads as 0; Null and objects give nullopt.
    std::optional<double> ToNumber() const;

    /// Truth value: a Bool is itself; a number is true when non-zero; a text
    /// is true for "True" (any case) or a non-zero number, false for "False"
    /// or zero; anything else (other words, Null, objects) gives nullopt.
    std::optional<bool> ToTruth() const;

    /// Date value: a Date is itself; a text is read with ParseDateText; a
    /// number is taken as a serial date. Others give nullopt.
    std::optional<DateTime> ToDate() const;

    /// Same kind and equal value (no conversion: 1 and 1.0 differ).
    bool operator==(const Variant& other) const { return v_ == other.v_; }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    using Storage = std::variant<std::monostate, NullTag, bool, std::int64_t, double, Decimal, std::string, DateTime,
                                 std::shared_ptr<HostObject>>;
    Storage v_;

    /// kind() is the alternative's index: the two lists must keep one order.
    template <Kind k, typename T>
    static constexpr bool At = std::is_same_v<std::variant_alternative_t<static_cast<std::size_t>(k), Storage>, T>;
    static_assert(At<Kind::Empty, std::monostate> && At<Kind::Null, NullTag> && At<Kind::Bool, bool> &&
                  At<Kind::Int, std::int64_t> && At<Kind::Double, double> && At<Kind::Decimal, Decimal> &&
                  At<Kind::Text, std::string> && At<Kind::Date, DateTime> &&
                  At<Kind::Object, std::shared_ptr<HostObject>> &&
                  std::variant_size_v<Storage> == static_cast<std::size_t>(Kind::Object) + 1);
};

}  // namespace orvane
