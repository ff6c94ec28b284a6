#include "deadlines/UserDeadlines.h"

#include "store/CategoryValues.h"

#include <ctime>
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

CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
