// The report-wide run-time operations: initial parameter values and the
// walk over all top-level record sources together.
#include "model/Orvane.h"

namespace orvane {

void Orvane::IniParameters() {
    if (!eParameters) return;
    for (const auto& p : *eParameters) {
        if (p) p->Value = Variant(p->Predef);
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

bool Orvane::MoveNext_All() {
    bool any = false;
    bool all = true;
    if (!eConections) return false;
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        for (const auto& rs : *cnn->eRSources) {
            if (!rs) continue;
            any = true;
            all = rs->MoveNext() && all;
        }
    }
    return any && all;
}

}  // namespace orvane
