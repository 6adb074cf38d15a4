// The one walk over a record-source tree that lookups, the XML writer and the
// designer's tree share.
#pragma once

#include <memory>
#include <utility>
#include <vector>

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

}  // namespace orvane
