// The report-wide run-time operations: initial parameter values and the
// walk over all top-level record sources together.
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>

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
    for (const auto& rs : TopRSources(*this)) result = result && rs->Eof();
    return result;
}

// A step reopens the children of every top-level record source, so each
// connection holds one read transaction through the step
// (data::Connection::HoldReads) and lets it go when its record sources have
// moved: between steps nothing is held, other writers go in at once and the
// next step reads what they committed.
bool Orvane::MoveNext_All() {
    bool any = false;
    bool all = true;
    if (!eConections) return false;
    // Ends a connection's step hold however the step ends.
    struct StepHold {
        std::shared_ptr<data::Connection> on;
        ~StepHold() {
            if (on) on->EndStepReads();
        }
    };
    for (const auto& cnn : *eConections) {
        if (!cnn || !cnn->eRSources) continue;
        StepHold hold;
        for (const auto& rs : *cnn->eRSources) {
            if (!rs) continue;
            any = true;
            if (!hold.on && rs->ADORecordset && rs->ADORecordset->State() == data::kStateOpen && cnn->ADOCnn) {
                hold.on = cnn->ADOCnn;
                hold.on->HoldStepReads();
            }
            all = rs->MoveNext() && all;
        }
    }
    return any && all;
}

void Orvane::EndWalk() {}

}  // namespace orvane
