// The one walk over a record-source tree that lookups, the XML writer and the
// designer's tree share, and the one range over the top-level record sources
// of every connection that the run-time steps and the designer share.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/eRSource.h>
#include <orvanespt/platform/Collection.h>

namespace orvane {

/// Visits the record sources under top depth first, a parent before its
/// children and the children in list order, with an explicit stack, so deep
/// trees cost no call stack. The items of top are at depth 1.
///
/// visit(const std::shared_ptr<eRSource>& rs, int depth, bool entering)
/// returns false to stop the walk; entering tells whether rs's children come
/// next. leave(const eRSource& rs, int depth) follows the last of them. Not
/// visited: null items, the levels past maxDepth, and a record
/// source met again below itself (a host made it its own descendant), so a
/// walk always ends. The visitors must not change the lists being walked.
/// False when visit stopped the walk.
template <typename Visit, typename Leave>
bool WalkRSources(const Collection<eRSource>* top, Visit&& visit, Leave&& leave,
                  int maxDepth = kMaxRecordSourceDepth) {
    struct Level {
        const Collection<eRSource>* list;
        int next;              ///< 0-based position of the next item
        const eRSource* owner;  ///< whose children these are; null for top
    };
    if (!top) return true;
    std::vector<Level> path{{top, 0, nullptr}};
    const auto onPath = [&path](const eRSource* rs) {
        for (const Level& l : path)
            if (l.owner == rs) return true;
        return false;
    };
    while (!path.empty()) {
        Level& level = path.back();
        if (level.next >= level.list->Count()) {
            const eRSource* owner = level.owner;
            path.pop_back();
            if (owner) leave(*owner, static_cast<int>(path.size()));
            continue;
        }
        const std::shared_ptr<eRSource>& rs = *(level.list->begin() + level.next++);
        if (!rs || onPath(rs.get())) continue;
        const int depth = static_cast<int>(path.size());
        const bool entering = depth < maxDepth && rs->eRSources && rs->eRSources->Count() > 0;
        if (!visit(rs, depth, entering)) return false;
        if (entering) path.push_back({rs->eRSources.get(), 0, rs.get()});
    }
    return true;
}

/// WalkRSources with nothing to do on leaving a record source.
template <typename Visit>
bool WalkRSources(const Collection<eRSource>* top, Visit&& visit) {
    return WalkRSources(top, std::forward<Visit>(visit), [](const eRSource&, int) {});
}

/// The top-level record sources of every connection of a report, in order,
/// for a range-for: null connections, lists and items are skipped. The
/// report's connections and their lists must not change while it is used.
class TopRSources {
public:
    /// Over report's connections (none when it has no collection).
    explicit TopRSources(const Orvane& report) : cnns_(report.eConections.get()) {}

    /// Goes forward over the record sources; compares equal at the end.
    class Iterator {
    public:
        /// The record source here (never null).
        const std::shared_ptr<eRSource>& operator*() const { return *(List()->begin() + rs_); }
        /// The next record source, or the end.
        Iterator& operator++() {
            ++rs_;
            Settle();
            return *this;
        }
        /// Whether both stand at the same place.
        bool operator==(const Iterator& o) const { return cnn_ == o.cnn_ && rs_ == o.rs_; }

    private:
        friend class TopRSources;
        Iterator(const Collection<eConnection>* cnns, int cnn) : cnns_(cnns), cnn_(cnn) { Settle(); }
        const Collection<eRSource>* List() const { return (cnns_->begin() + cnn_)->get()->eRSources.get(); }
        // Moves on to the first non-null record source from here, or the end.
        void Settle() {
            for (; cnns_ && cnn_ < cnns_->Count(); ++cnn_, rs_ = 0) {
                const auto& cnn = *(cnns_->begin() + cnn_);
                if (!cnn || !cnn->eRSources) continue;
                for (; rs_ < cnn->eRSources->Count(); ++rs_)
                    if (*(cnn->eRSources->begin() + rs_)) return;
            }
            rs_ = 0;
        }
        const Collection<eConnection>* cnns_;
        int cnn_;
        int rs_ = 0;
    };

    /// The first record source.
    Iterator begin() const { return Iterator(cnns_, 0); }
    /// Past the last one.
    Iterator end() const { return Iterator(cnns_, cnns_ ? cnns_->Count() : 0); }

private:
    const Collection<eConnection>* cnns_;
};

}  // namespace orvane
