#include "deadlines/UserDeadlines.h"

#include "store/CategoryValues.h"

#include <map>

std::optional<std::vector<Deadline>> ReadUserDeadlines(bool labelsOnly) {
    std::map<int, std::map<int, std::string>> read;
    bool failed = false;
    const CategoryValues values = [&](int category) -> const std::map<int, std::string>* {
        auto [it, added] = read.try_emplace(category);
        if (added && !ReadCategoryValues(category, it->second))
            failed = true;
        return &it->second;
    };
    std::vector<Deadline> deadlines = FindDeadlines(values, labelsOnly, Today());
    if (failed)
        return std::nullopt;
    return deadlines;
}
