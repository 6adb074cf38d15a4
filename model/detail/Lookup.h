// Name lookups shared by the definition classes: the first item of a
// collection whose name matches ignoring case, and the unique-name generator.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Text.h>

namespace orvane::detail {

template <typename T, typename Key>
std::shared_ptr<T> FindByName(const Collection<T>* col, const std::string& name, Key key) {
    if (!col) return nullptr;
    const std::string wanted = text::Lower(name);
    for (const auto& item : *col)
        if (item && text::Lower(key(*item)) == wanted) return item;
    return nullptr;
}

template <typename T>
std::shared_ptr<T> FindByName(const Collection<T>* col, const std::string& name) {
    return FindByName(col, name, [](const T& t) -> const std::string& { return t.Name; });
}

template <typename T>
int PositionByName(const Collection<T>* col, const std::string& name) {
    if (!col) return 0;
    const std::string wanted = text::Lower(name);
    int i = 0;
    for (const auto& item : *col) {
        ++i;
        if (item && text::Lower(item->Name) == wanted) return i;
    }
    return 0;
}

// prefix + the first counter, from first on, whose name taken(name) rejects
// no more. The 16-bit generators give up at 32767 and return the last try.
inline std::string UniqueName(const std::string& prefix, long long first,
                              const std::function<bool(const std::string&)>& taken, bool limit16 = false) {
    long long n = first;
    std::string candidate = prefix + std::to_string(n);
    while (taken(candidate)) {
        if (limit16 && n >= INT16_MAX) break;
        ++n;
        candidate = prefix + std::to_string(n);
    }
    return candidate;
}

}  // namespace orvane::detail
