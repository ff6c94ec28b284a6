#pragma once

// A table of the category schema with one record, written for the engine benchmarks.
#include "engine/TableStore.h"
#include "store/CategorySchema.h"

#include <functional>
#include <string>
#include <vector>

// Writes the table at base (base + ".DB" and its companions): every text field holds textSize
// characters, every memo what memo gives for it.
inline void WriteSchemaTable(TableIndex which, const std::string& base, size_t textSize,
                             const std::function<std::string(const SchemaField&)>& memo) {
    engine::TableImage image;
    std::vector<std::string> record;
    for (const SchemaField& f : TableFields(which)) {
        image.fields.push_back({f.name, f.memo ? engine::FieldType::Memo : engine::FieldType::Text,
                                static_cast<uint16_t>(f.memo ? 0 : f.size)});
        record.push_back(f.memo ? memo(f) : std::string(textSize, 't'));
    }
    image.records.push_back(std::move(record));
    engine::TableStore(base).Commit(engine::EncodeTable(image, nullptr));
}
