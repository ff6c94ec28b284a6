// Writes the empty template files of every table into the given directory.
#include "engine/TableImage.h"
#include "store/CategorySchema.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

engine::TableImage EmptyTable(TableIndex table) {
    engine::TableImage image;
    for (const SchemaField& f : TableFields(table))
        image.fields.push_back({f.name, f.memo ? engine::FieldType::Memo : engine::FieldType::Text,
                                static_cast<uint16_t>(f.memo ? 0 : f.size)});
    return image;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: maketemplates <directory>\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    for (const TableInfo& table : kTables) {
        engine::TableFiles files = engine::EncodeTable(EmptyTable(table.index), nullptr);
        const std::string* bytes[kSlotsPerTable] = {&files.db, &files.px, &files.mb};
        for (int i = 0; i < kSlotsPerTable; ++i) {
            std::string path = dir + SlotTemplateName(table.FirstSlot() + i);
            if (!WriteFile(path, *bytes[i])) {
                std::fprintf(stderr, "maketemplates: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
