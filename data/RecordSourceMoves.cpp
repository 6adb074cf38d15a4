// Moving through a record source's records; every move reopens the children
// from the new current record.
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/eRSource.h>

namespace orvane {
namespace {

// Runs one recordset move; a move the recordset refuses (past an end) is
// ignored. False when there is no open recordset.
template <typename Move>
bool Moved(const std::shared_ptr<data::Recordset>& rs, Move move) {
    if (!rs || rs->State() != data::kStateOpen) return false;
    try {
        move(*rs);
    } catch (...) {
    }
    return true;
}

}  // namespace

bool eRSource::MoveNext() {
    return Moved(ADORecordset, [](data::Recordset& r) { r.MoveNext(); }) && RefreshChilds();
}

bool eRSource::MovePrevious() {
    return Moved(ADORecordset, [](data::Recordset& r) { r.MovePrevious(); }) && RefreshChilds();
}

bool eRSource::MoveLast() {
    return Moved(ADORecordset, [](data::Recordset& r) { r.MoveLast(); }) && RefreshChilds();
}

bool eRSource::MoveFirst() {
    return Moved(ADORecordset, [](data::Recordset& r) { r.MoveFirst(); }) && RefreshChilds();
}

bool eRSource::Eof() const {
    return !ADORecordset || ADORecordset->State() != data::kStateOpen || ADORecordset->Eof();
}

bool eRSource::Bof() const {
    return !ADORecordset || ADORecordset->State() != data::kStateOpen || ADORecordset->Bof();
}

}  // namespace orvane
