#include "backup/BackupReport.h"

#include "util/gui/ResString.h"

#include <algorithm>

namespace {

std::string Files(size_t n) {
    return std::to_string(n) + (n == 1 ? " Datei" : " Dateien");
}

std::string Went(const BackupSummary& o) {
    if (o.packing)
        return Files(o.files) + " in das Archiv " + o.destination + " gepackt.";
    const std::string went = Files(o.files) + " nach " + o.destination + " kopiert";
    if (o.firstCopy.empty())
        return went + ".";
    return went + ", jede unter ihrem vollen Pfad (Unterverz. anlegen), z. B. " + o.firstCopy + ".";
}

std::string Why(const BackupSummary& o, const char* fallback) {
    return o.lastStatus.empty() ? std::string(fallback) : o.lastStatus;
}

} // namespace

BackupNotice DescribeBackup(const BackupSummary& o) {
    const std::string nothing = "Sicherung: nichts kopiert";
    switch (o.result) {
    case BackupResult::Completed:
        if (o.files == 0) {
            return {nothing, "Alle Dateien waren schon gesichert oder wurden übersprungen."};
        }
        return {"Sicherung abgeschlossen", Went(o)};
    case BackupResult::NothingToDo:
        return {nothing, o.onlySelected ? "In der Liste ist keine Datei ausgewählt."
                                        : "Die Liste der zu sichernden Dateien ist leer."};
    case BackupResult::NotStarted:
        return {nothing, Why(o, "Das Packen konnte nicht vorbereitet werden.")};
    case BackupResult::Aborted:
        if (o.files == 0) {
            return {"Sicherung abgebrochen", "Nichts kopiert: " + Why(o, "Vorgang abgebrochen!")};
        }
        return {"Sicherung abgebrochen", Went(o) + " Dann: " + Why(o, "Vorgang abgebrochen!")};
    case BackupResult::Failed:
        return {"Sicherung gescheitert", Why(o, "Das Packprogramm konnte nicht starten.")};
    }
    return {nothing, ""};
}

std::string NoticeLine(const BackupNotice& notice) {
    return notice.body.empty() ? notice.summary : notice.summary + ": " + notice.body;
}

std::vector<std::string> AnnouncedEntries(const std::vector<std::string>& entries,
                                          const std::vector<std::string>& statusTexts) {
    std::string copying;
    std::string to;
    ResString(copying, 3003);
    ResString(to, 3004);
    std::vector<std::string> out;
    for (const std::string& entry : entries) {
        const std::string head = copying + entry + to;
        const bool announced =
            std::any_of(statusTexts.begin(), statusTexts.end(),
                        [&head](const std::string& text) { return text.starts_with(head); });
        if (announced) {
            out.push_back(entry);
        }
    }
    return out;
}
