// The opening of a report connection from its worked-out string, shared by
// eConnection::OpenConnection and DescribeConnection so that describing and
// opening read the same resolution.
#pragma once

#include <orvanespt/data/ResolvedConnection.h>

namespace orvane {
class eConnection;
}

namespace orvane::data::detail {

// Opens cnn's ADOCnn from resolved as OpenConnection does: false with
// LastOpenError set when it does not open.
bool OpenReportConnection(eConnection& cnn, const ResolvedConnection& resolved);

}  // namespace orvane::data::detail
