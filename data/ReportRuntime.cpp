// The report-wide run-time operations: initial parameter values and the
// walk over all top-level record sources together.
#include "data/ado/Connection.h"
#include "model/Orvane.h"

namespace orvane {

void Orvane::IniParameters() {
    if (!eParameters) return;
    for (const auto& p : *eParameters) {
        if (p) p->Value = Variant(p->Predef);
    }
}

namespace {

// Holds or releases reads on every open connection of the report.
void HoldReads(const Orvane& rpt, bool on) {
    if (!rpt.eConections) return;
    for (const auto& cnn : *rpt.eConections)
        if (cnn && cnn->ADOCnn) cnn->ADOCnn->HoldReads(on);
}

}  // namespace

bool Orvane::EOF_All() const {
    bool result = true;
    if (!eConections) return result;
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        for (const auto& rs : *cnn->eRSources)
            if (rs) result = result && rs->Eof();
    }
    if (result) HoldReads(*this, false);
    return result;
}

// A walk reopens the children on every step: the connections hold one read
// transaction from the first step to the end of the walk, when EOF_All is
// seen true or the connection closes.
bool Orvane::MoveNext_All() {
    bool any = false;
    bool all = true;
    if (!eConections) return false;
    HoldReads(*this, true);
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        for (const auto& rs : *cnn->eRSources) {
            if (!rs) continue;
            any = true;
            all = rs->MoveNext() && all;
        }
    }
    EOF_All();
    return any && all;
}

}  // namespace orvane
