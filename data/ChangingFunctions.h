// Whether a query gives the same rows when run again on an unchanged
// database: a query text that calls a function whose result changes from
// one run to the next (random numbers, the current date or time, new
// identifiers, sequences) does not, and its rows are never kept for reuse.
#pragma once

#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// The first call in an SQL text to a function whose result changes between
/// runs, as written in the text but in lower case ("random", "now",
/// "current_timestamp", "date('now')" is reported as "'now'"); "" when there
/// is none. Names inside string literals, quoted names and comments do not
/// count; a 'now' literal does, wherever it stands. Recognised:
/// - random numbers and bytes: random, randomblob, rand, random_bytes;
/// - new identifiers: newid, newsequentialid, uuid, uuid_short,
///   gen_random_uuid, sys_guid;
/// - sequences: nextval, and NEXT VALUE FOR;
/// - the current date and time: now, getdate, getutcdate, sysdatetime,
///   sysutcdatetime, sysdatetimeoffset, sysdate, systimestamp,
///   current_timestamp, current_date, current_time, localtimestamp,
///   localtime, clock_timestamp, statement_timestamp, transaction_timestamp,
///   timeofday, curdate, curtime, utc_timestamp, utc_date, utc_time; date,
///   time, datetime, julianday, unixepoch and unix_timestamp called with no
///   argument; and the literal 'now' (SQLite's date('now'), PostgreSQL's
///   'now'::%timestamp).
ORVANE_API std::string ChangingFunction(std::string_view sql);

}  // namespace orvane::data
