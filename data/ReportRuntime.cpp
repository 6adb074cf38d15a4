// The report-wide run-time operations: initial parameter values and the
// walk over all top-level record sources together.
#include "data/ado/Connection.h"
#include "model/Orvane.h"

namespace orvane {

void Orvane::IniParameters() {
    if (!eParameters) return;
    for (const auto& p : *eParameters) {
        if (!p) continue;
        p->Value = Variant(p->Predef);
        p->Values.reset();
    }
}

bool Orvane::EOF_All() const {
    bool result = true;
    if (!eConections) return result;
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        for (const auto& rs : *cnn->eRSources)
            if (rs) result = result && rs->Eof();
    }
    return result;
}

// A walk reopens the children on every step, so each connection holds one
// read transaction through it (data::Connection::HoldReads). Its token stays
// with the top-level recordsets the walk moves: the hold ends when the walk
// reaches its end, on EndWalk, when the host lets those recordsets go (or
// opens them again) and when the connection closes.
bool Orvane::MoveNext_All() {
    bool any = false;
    bool all = true;
    if (!eConections) return false;
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        std::shared_ptr<void> hold;
        for (const auto& rs : *cnn->eRSources) {
            if (!rs) continue;
            any = true;
            if (rs->ADORecordset && rs->ADORecordset->State() == 1 && cnn->ADOCnn) {
                if (!hold) hold = cnn->ADOCnn->HoldReads();
                rs->ADORecordset->KeepWhileOpen(hold);
            }
            all = rs->MoveNext() && all;
        }
    }
    if (EOF_All()) EndWalk();
    return any && all;
}

void Orvane::EndWalk() {
    if (!eConections) return;
    for (const auto& cnn : *eConections)
        if (cnn && cnn->ADOCnn) cnn->ADOCnn->ReleaseReads();
}

}  // namespace orvane
