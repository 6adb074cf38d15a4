// Dates as people type them on a day-first (Spanish) desktop, for the texts
// that the stricter ParseDateText forms do not cover.
#pragma once

#include <optional>
#include <string_view>

#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// Reads a typed date, a date and time, or a time alone (which falls on
/// 1899-12-30):
/// - day, month and year in that order: 1- or 2-digit day, the month as 1 or
///   2 digits or as a Spanish or English name or abbreviation (with or
///   without a final "."), and a 2- or 4-digit year; separated by "/", "-",
///   ".", blanks or " de " ("25/12/24", "25-dic-2024", "25 de diciembre de
///   2024");
/// - the English order, a month name, the day, an optional "," and the year
///   ("Dec 25, 2024");
/// - a time after blanks: a 1- or 2-digit hour, ":" and 2-digit minutes,
///   optional ":" and 2-digit seconds, and an optional AM/PM (also a.m./p.m.);
///   an hour with AM/PM alone ("9 PM") also reads.
/// A 2-digit year 00-29 is 20xx, 30-99 is 19xx. Case and surrounding blanks
/// are ignored. nullopt for anything else and for an impossible date or time
/// (31/02/2024, 13 PM): such a text is never read as another date.
ORVANE_API std::optional<DateTime> ReadTypedDate(std::string_view text);

}  // namespace orvane
