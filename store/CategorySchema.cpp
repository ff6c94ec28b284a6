#include "store/CategorySchema.h"

#include <algorithm>

const std::vector<CategoryInfo>& Categories() {
    static const std::vector<CategoryInfo> categories = {
        {1,
         TableIndex::First,
         30,
         {123, 124},
         {102, 103, 104, 105, 108, 112, 116, 119, 120, 121, 122}},
        {2, TableIndex::Second, 25, {}, {}},
        {3, TableIndex::Second, 38, {}, {108, 112, 116, 120, 124, 128}},
        {4, TableIndex::First, 48, {}, {}},
        {5, TableIndex::First, 41, {}, {103, 107, 111, 115, 120, 125, 130, 135, 140}},
        {6, TableIndex::First, 30, {}, {}},
        {7, TableIndex::First, 45, {}, {}},
        {8, TableIndex::First, 15, {}, {103, 104, 108, 109, 113, 114}},
        {10, TableIndex::Second, 44, {134}, {}},
    };
    return categories;
}

const CategoryInfo* FindCategory(int number) {
    for (const CategoryInfo& c : Categories()) {
        if (c.number == number)
            return &c;
    }
    return nullptr;
}

std::string FieldName(int n, int k) {
    return "E" + std::to_string(n) + "_" + std::to_string(k);
}

std::vector<int> FieldIds(int n) {
    std::vector<int> ids;
    if (const CategoryInfo* c = FindCategory(n)) {
        for (int i = 0; i < c->fieldCount; ++i)
            ids.push_back(kFirstFieldId + i);
    }
    return ids;
}

static bool Contains(const std::vector<int>& ids, int k) {
    return std::find(ids.begin(), ids.end(), k) != ids.end();
}

bool IsMemoField(int n, int k) {
    const CategoryInfo* c = FindCategory(n);
    return c && Contains(c->memoIds, k);
}

bool IsShortField(int n, int k) {
    const CategoryInfo* c = FindCategory(n);
    return c && Contains(c->shortIds, k);
}

int FieldCharLimit(int n, int k) {
    if (IsMemoField(n, k))
        return 0;
    return IsShortField(n, k) ? kShortFieldChars : kNormalFieldChars;
}

std::vector<SchemaField> TableFields(TableIndex table) {
    std::vector<SchemaField> fields;
    for (const CategoryInfo& c : Categories()) {
        if (c.table != table)
            continue;
        for (int k : FieldIds(c.number)) {
            bool memo = Contains(c.memoIds, k);
            fields.push_back({FieldName(c.number, k), memo, memo ? 0 : kTextFieldSize});
        }
    }
    return fields;
}
