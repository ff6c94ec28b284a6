#include "store/FieldMerge.h"

const std::vector<DocumentField>& DocumentFields() {
    static const std::vector<DocumentField> fields = [] {
        std::vector<DocumentField> all;
        for (const TableInfo& table : kTables) {
            for (int category : CategoriesOf(table.index)) {
                for (const FieldFacts& f : FieldsOf(category))
                    all.push_back({category, f.id, table.index, f.kind == FieldKind::Memo,
                                   FieldName(category, f.id)});
            }
        }
        return all;
    }();
    return fields;
}

int DocumentFieldIndex(const std::string& name) {
    const std::vector<DocumentField>& fields = DocumentFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

const std::vector<std::string>& DocumentFieldNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const DocumentField& f : DocumentFields())
            all.push_back(f.name);
        return all;
    }();
    return names;
}
