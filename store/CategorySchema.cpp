#include "store/CategorySchema.h"

std::vector<int> FieldIds(int n) {
    std::vector<int> ids;
    for (const FieldFacts& f : FieldsOf(n))
        ids.push_back(f.id);
    return ids;
}

bool IsMemoField(int n, int k) {
    const FieldFacts* f = FindField(n, k);
    return f && f->kind == FieldKind::Memo;
}

int FieldCharLimit(int n, int k) {
    const FieldFacts* f = FindField(n, k);
    return f ? f->chars : 0;
}

std::vector<SchemaField> TableFields(TableIndex table) {
    if (table == kStateTable)
        return {{kStateField, true, 0}};
    std::vector<SchemaField> fields;
    for (int category : CategoriesOf(table)) {
        for (const FieldFacts& f : FieldsOf(category)) {
            const bool memo = f.kind == FieldKind::Memo;
            fields.push_back({FieldName(f.category, f.id), memo, memo ? 0 : kTextFieldSize});
        }
    }
    return fields;
}
