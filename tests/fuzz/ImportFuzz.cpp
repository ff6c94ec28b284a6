// Feeds arbitrary bytes to every reader of the import: KDBX (both versions), KeePass XML,
// Bitwarden's JSON and the CSV. Each gives a value or a fault, never a crash or a hang; what
// it gives is planned onto a few fields, one planned entry for each entry read.
#include "exchange/FieldMapping.h"
#include "exchange/KdbxFile.h"
#include "exchange/KdbxXml.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<ExchangeField> fields = {
        {4, 112, "Online", "Angebot 1", "Angebot", 47, false, ValueRole::Title},
        {4, 115, "Online", "Angebot 1", "Paßwort", 47, true, ValueRole::Password},
        {6, 100, "Frei", "Feld 1", "Titel", 47, false, ValueRole::Title},
        {6, 101, "Frei", "Feld 1", "Inhalt", 47, false, ValueRole::Other, 100}};
    std::vector<SourceEntry> entries;
    std::string error;
    if (const auto read = kdbx::ReadKdbx(bytes, "Pässwort"); read.db)
        entries = EntriesOf(*read.db);
    if (const auto db = kdbx::ReadXml(bytes, nullptr, {}, error))
        entries = EntriesOf(*db);
    if (const auto items = ReadBitwardenJson(bytes, error))
        entries.insert(entries.end(), items->begin(), items->end());
    const ImportPlan plan = PlanImport(fields, {}, entries);
    if (plan.entries.size() != entries.size())
        __builtin_trap();
    PlanCsvImport(fields, {}, ReadFieldCsv(bytes));
    return 0;
}
