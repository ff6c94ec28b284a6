#include "catalogue/FieldCatalogue.h"
#include "engine/Crypto.h"
#include "exchange/CatalogueFields.h"
#include "exchange/KdbxFile.h"
#include "exchange/KdbxXml.h"
#include "exchange/gui/ExchangeCommands.h"
#include "exchange/gui/TImportPreview.h"
#include "exchange/gui/WithProgress.h"
#include "platform/Messages.h"
#include "platform/file/FileReader.h"
#include "platform/gui/WaitCursor.h"
#include "store/CategorySchema.h"
#include "store/CategoryValues.h"
#include "store/FieldMerge.h"
#include "store/TDataSetManager.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"
#include "util/gui/TInputDialog2.h"

#include <QFileInfo>

#include <cctype>

namespace {

const char* const kImportFilter =
    "Alle lesbaren Dateien|*.kdbx;*.xml;*.json;*.csv|KeePass-Datenbanken|*.kdbx|KeePass-XML|*.xml|"
    "Bitwarden-Export (unverschlüsselt)|*.json|CSV-Dateien von Quillory|*.csv|Alle Dateien|*.*|";
const char* const kUnreadable = "Die Datei konnte nicht gelesen werden.";
const char* const kUnknown =
    "Das Format der Datei ist unbekannt. Lesbar sind KeePass-Datenbanken (KDBX), KeePass-XML, "
    "Bitwarden-Exporte (JSON, unverschlüsselt) und CSV-Dateien von Quillory.";
const char* const kReadFailed = "Die Daten konnten nicht gelesen werden.";
const char* const kApplyFailed = "Die Werte konnten nicht in das Dokument geschrieben werden "
                                 "(oder sie standen schon so darin). Es blieb, wie es war.";
const char* const kUndoFailed =
    "Der Import konnte nicht rückgängig gemacht werden. Das Dokument blieb, wie es war.";
const char* const kNothingToUndo = "Es gibt keinen Import, der sich noch rückgängig machen ließe.";
const char* const kPasswordPrompt = "Passwort der KeePass-Datenbank:";
constexpr std::uint64_t kMaxImportFile = std::uint64_t{256} << 20;
constexpr std::size_t kPasswordBuffer = 1024;

void Say(QWidget* parent, const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION, parent);
}

std::string_view Trimmed(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() && std::isspace(static_cast<unsigned char>(bytes.front())))
        bytes.remove_prefix(1);
    return bytes;
}

// The entries of a KDBX file, asking for its password until it fits or the user gives up.
std::optional<std::vector<SourceEntry>> ReadKdbxFile(QWidget* parent, const std::string& bytes) {
    for (;;) {
        std::string password;
        TInputDialog2 ask(parent, kVersionTitle, kPasswordPrompt, password, kPasswordBuffer, true);
        if (ask.Execute() != IDOK)
            return std::nullopt;
        const kdbx::ReadResult read = WithProgress(parent, "Die KeePass-Datenbank wird geöffnet …",
                                                   [&] { return kdbx::ReadKdbx(bytes, password); });
        engine::Wipe(password);
        if (read.db)
            return EntriesOf(*read.db);
        Say(parent, kdbx::FaultText(read.fault));
        if (read.fault != kdbx::ReadFault::WrongPassword)
            return std::nullopt;
    }
}

// The source's entries, or nothing (said) when the file is none of the formats.
std::optional<std::vector<SourceEntry>> ReadSource(QWidget* parent, const std::string& bytes,
                                                   bool& csv) {
    csv = false;
    std::string error;
    if (bytes.starts_with("\x03\xD9\xA2\x9A"))
        return ReadKdbxFile(parent, bytes);
    const std::string_view text = Trimmed(bytes);
    std::optional<std::vector<SourceEntry>> entries;
    if (text.starts_with("<")) {
        const auto db = kdbx::ReadXml(text, nullptr, {}, error);
        if (db)
            entries = EntriesOf(*db);
    } else if (text.starts_with("{")) {
        entries = ReadBitwardenJson(text, error);
    } else if (!ReadFieldCsv(bytes).rows.empty()) {
        csv = true;
        return std::vector<SourceEntry>{};
    }
    if (!entries)
        Say(parent, error.empty() ? kUnknown : std::string(kUnknown) + "\n\n" + error);
    return entries;
}

enum class Written { No, NotSaved, Saved };

void Apply(QWidget* parent, const ImportPlan& plan) {
    // On the window's thread: timers, the screen lock and the program's end touch the tables
    // too, so no worker may write them meanwhile.
    const Written written = [&] {
        WaitCursor wait;
        if (!ApplyImportPlan(plan))
            return Written::No;
        return DataSetManager().Save() ? Written::Saved : Written::NotSaved;
    }();
    if (written == Written::No)
        Say(parent, kApplyFailed);
    else if (written == Written::Saved)
        Say(parent, std::to_string(plan.Placed()) + " Werte wurden übernommen.");
}

std::string Values(std::size_t n) {
    return n == 1 ? "1 Wert" : std::to_string(n) + " Werte";
}

// What an undo puts back and keeps, as the question and the answer say it.
std::string UndoFacts(const versions::ImportUndo& undo) {
    std::string text = "Auf den Stand vor dem Import zurück: " + Values(undo.back.size()) +
                       " (was vorher leer war, wird wieder leer).";
    if (!undo.changedSince.empty())
        text += "\n\nSeit dem Import geändert, hier oder auf einem anderen Rechner; sie bleiben, "
                "wie sie sind: " +
                Values(undo.changedSince.size()) + ".";
    if (!undo.unknown.empty()) {
        text += "\n\nIhr Inhalt vor dem Import ist nicht sicher bekannt (zu lang, um ihn "
                "aufzubewahren, oder damals im Konflikt); sie bleiben, wie sie sind: " +
                Values(undo.unknown.size()) + ":";
        for (std::size_t field : undo.unknown) {
            const DocumentField& f = DocumentFields()[field];
            const FieldFacts* facts = FindField(f.category, f.id);
            text += std::string("\n  ") + CategoryTitle(f.category) + ": " +
                    (facts ? FieldLabel(*facts) : f.name);
        }
    }
    return text;
}

} // namespace

bool CanUndoImport() {
    TDataSetManager& manager = DataSetManager();
    return manager.IsOpen && !manager.Sync().PlanImportUndo().back.empty();
}

void RunUndoImport(QWidget* parent) {
    TDataSetManager& manager = DataSetManager();
    if (!CanUndoImport()) {
        Say(parent, kNothingToUndo);
        return;
    }
    const std::string question =
        "Den letzten Import rückgängig machen?\n\n" + UndoFacts(manager.Sync().PlanImportUndo());
    if (ShowMessage(question, kVersionTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, parent) !=
        IDYES)
        return;
    std::optional<versions::ImportUndo> undone;
    const bool saved = [&] {
        WaitCursor wait;
        undone = manager.Sync().UndoImport(manager.Work());
        return undone && manager.Save();
    }();
    if (!undone)
        Say(parent, kUndoFailed);
    else if (saved)
        Say(parent, "Der Import wurde rückgängig gemacht.\n\n" + UndoFacts(*undone));
}

bool ApplyImportPlan(const ImportPlan& plan) {
    std::vector<std::pair<std::size_t, std::string>> values;
    for (const auto& [key, text] : plan.changes) {
        const int index = DocumentFieldIndex(FieldName(key.first, key.second));
        if (index < 0)
            return false;
        values.emplace_back(static_cast<std::size_t>(index), text);
    }
    TDataSetManager& manager = DataSetManager();
    return manager.Sync().ApplyImport(values, manager.Work()) != 0;
}

void RunImport(QWidget* parent) {
    std::string path;
    if (!GetFileName(parent, path, true, kImportFilter))
        return;
    const WholeFile file = ReadWholeFile(path, kMaxImportFile);
    if (!file) {
        Say(parent, kUnreadable);
        return;
    }
    bool csv = false;
    const auto source = ReadSource(parent, file.bytes, csv);
    if (!source)
        return;
    const auto fields = CatalogueFields();
    FormValues current;
    if (!ReadDocumentValues(fields, current)) {
        Say(parent, kReadFailed);
        return;
    }
    const CsvRead rows = csv ? ReadFieldCsv(file.bytes) : CsvRead{};
    TImportPreview preview(parent, QFileInfo(QString::fromStdString(path)).fileName().toStdString(),
                           [&](const ImportOptions& options) {
                               return csv ? PlanCsvImport(fields, current, rows, options)
                                          : PlanImport(fields, current, *source, options);
                           });
    if (preview.Execute() == IDOK)
        Apply(parent, preview.Plan());
}
