#include "store/FieldMerge.h"


const std::vector<DocumentField>& DocumentFields() {
    static const std::vector<DocumentField> fields = [] {
        std::vector<DocumentField> all;
        for (TableIndex table : {TableIndex::First, TableIndex::Second}) {
            for (const CategoryInfo& c : Categories()) {
                if (c.table != table)
                    continue;
                for (int id : FieldIds(c.number))
                    all.push_back(
                        {c.number, id, table, IsMemoField(c.number, id), FieldName(c.number, id)});
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
