#pragma once

// The typical user of the store benchmarks: a document made from the templates in the bench
// folder, every field of both tables holding a short text, every memo a few lines. The machine
// state (the merge history) lives in the bench folder too, never in the user's home.
#include "bench/BenchSupport.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"

#include <cstdio>

inline TDataSetManager& TypicalUser() {
    static bool ready = [] {
        SystemDirs::SetProgramDirectory(QUILLORY_TEMPLATE_DIR);
        SystemDirs::SetTempDirectory(BenchDir());
        SystemDirs::SetStateDirectory(BenchDir() + "state/");
        TDataSetManager& m = DataSetManager();
        m.SetDocumentPath(BenchDir() + "Typisch.qlr");
        m.Create();
        for (TQuery* table : {m.FirstTable, m.SecondTable}) {
            if (!table->propActive())
                return false;
            table->Edit();
            const TableIndex which = table == m.FirstTable ? TableIndex::First : TableIndex::Second;
            for (const SchemaField& f : TableFields(which)) {
                if (f.memo)
                    m.StoreMemo(*table, "Erste Zeile einer Notiz\r\nzweite Zeile\r\ndritte",
                                f.name);
                else
                    m.StoreField(*table, "Wert " + f.name, f.name);
            }
            table->Post();
        }
        return m.Save();
    }();
    if (!ready)
        std::fprintf(stderr, "no typical document (templates in %s?)\n", QUILLORY_TEMPLATE_DIR);
    return DataSetManager();
}
