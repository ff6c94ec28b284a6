// Plays one machine of a household for the sync tests: opens a user's document with the data
// set manager, as the program's login does, and runs the commands given:
//   quillory_sync_driver <program dir> <document> [set <field> <value>]... [get <field>]...
//                        [conflicts] [keep-theirs]
// "set" stores and saves, "get" prints the value, "conflicts" prints one line per conflict
// (field, this machine's value, the other value), "keep-theirs" takes the other value of every
// conflict. Stranded work and conflict copies are taken in first; the state folder is the one
// XDG_STATE_HOME names. Messages go to standard error. Status 1 when the document did not open.
#include "platform/SystemDirs.h"
#include "store/TDataSetManager.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

TQuery& TableOf(TDataSetManager& m, const std::string& name) {
    const int i = DocumentFieldIndex(name);
    return m.Table(i >= 0 ? DocumentFields()[static_cast<std::size_t>(i)].table
                          : TableIndex::First);
}

bool Run(TDataSetManager& m, int argc, char** argv, bool& wrote) {
    for (int i = 3; i < argc; ++i) {
        const std::string command = argv[i];
        if (command == "set" && i + 2 < argc) {
            TQuery& table = TableOf(m, argv[i + 1]);
            table.Edit();
            m.StoreField(table, argv[i + 2], argv[i + 1]);
            table.Post();
            if (!m.Save())
                return false;
            wrote = true;
            i += 2;
        } else if (command == "get" && i + 1 < argc) {
            std::string value;
            m.LoadField(TableOf(m, argv[i + 1]), value, argv[i + 1]);
            std::printf("%s\n", value.c_str());
            ++i;
        } else if (command == "conflicts") {
            for (const OpenConflict& c : m.Sync().Conflicts())
                std::printf("%s\t%s\t%s\n", DocumentFields()[c.field].name.c_str(), c.ours.c_str(),
                            c.theirs.c_str());
        } else if (command == "keep-theirs") {
            wrote = true;
            while (!m.Sync().Conflicts().empty())
                if (!m.Sync().Resolve(0, true, m.Work()) || !m.Save())
                    return false;
        } else {
            std::fprintf(stderr, "unknown command %s\n", command.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <program dir> <document> [commands]\n", argv[0]);
        return 2;
    }
    SystemDirs::SetProgramDirectory(argv[1]);
    TDataSetManager& m = DataSetManager();
    m.SetDocumentPath(argv[2]);
    if (std::FILE* f = std::fopen(argv[2], "rb")) {
        std::fclose(f);
        m.Open(argv[2]);
    } else {
        m.Create();
    }
    if (!m.IsOpen)
        return 1;
    bool wrote = m.TakeInStrandedWork() + m.TakeInConflictCopies() > 0;
    const bool ok = Run(m, argc, argv, wrote);
    if (ok && !wrote) {
        // A run that only looked leaves the document as it is (the program writes it again at
        // every exit), so the engines carry only real changes between the machines.
        std::fflush(stdout);
        std::_Exit(0);
    }
    m.Close();
    return ok ? 0 : 1;
}
