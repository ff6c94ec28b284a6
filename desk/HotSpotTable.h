#pragma once

#include <array>

// The hot spots of the desk, in list order: rectangle in desk pixels, the pictures of the three
// states (normal, pressed, highlighted), the command number, the name a screen reader announces
// and the keys that run the command (in QKeySequence's portable text, "; " between two keys).
// The keyboard order and the accessible buttons follow this table, whatever its length.
struct HotSpotRow {
    int x, y, w, h;
    const char* pictures[3];
    int command;
    const char* name;
    const char* keys;
};

// Command numbers of the hot spots.
enum DeskCommand : int {
    CmNone = 0,
    CmMinimise = 1,
    CmBackup = 2,
    CmExit = 3,
    CmAbout = 4,
    CmHelp = 5,
    CmSetPassword = 6,
    CmRemovePassword = 7,
    CmFirstForm = 8,
    CmLastForm = 16,
    CmEmergencyFolder = 17,
    CmDeadlines = 18,
    CmSearch = 19,
    CmContracts = 20,
};

// clang-format off
inline constexpr std::array<HotSpotRow, 20> kHotSpotTable{{
    {432, 287, 72, 72, {"BEENDEN1", "BEENDEN2", "BEENDEN2"}, CmExit, "Programm beenden", "E"},
    {448, 211, 72, 72, {"INFO1", "INFO2", "INFO2"}, CmAbout, "Information", "I"},
    {430, 134, 72, 72, {"HILFE1", "HILFE2", "HILFE2"}, CmHelp, "Hilfe", "F1; H"},
    {112, 287, 72, 72, {"BACKUP1", "BACKUP2", "BACKUP2"}, CmBackup, "Backup", "K"},
    {108, 134, 72, 72, {"PASSWS1", "PASSWS2", "PASSWS2"}, CmSetPassword, "Paßwort vergeben", "V"},
    {90, 211, 72, 72, {"PASSWE1", "PASSWE2", "PASSWE2"}, CmRemovePassword, "Paßwort löschen", "L"},
    {289, 14, 30, 26, {"MINI1", "MINI2", "MINI3"}, CmMinimise, "Minimieren", "M"},
    {220, 196, 173, 28, {"DLG_AERZTE1", "DLG_AERZTE2", "DLG_AERZTE2"}, 8, "Ärzte", "Ä; A"},
    {220, 230, 173, 28, {"DLG_BANK1", "DLG_BANK2", "DLG_BANK2"}, 9, "Bankgeschäfte", "B"},
    {220, 400, 173, 28, {"DLG_FREI1", "DLG_FREI2", "DLG_FREI2"}, 10, "Frei definierbare Felder", "D"},
    {220, 298, 173, 28, {"DLG_ONLINE1", "DLG_ONLINE2", "DLG_ONLINE2"}, 11, "Online", "O"},
    {220, 128, 173, 28, {"DLG_PERSONEN1", "DLG_PERSONEN2", "DLG_PERSONEN2"}, 12, "Persönliches", "P"},
    {220, 366, 173, 28, {"DLG_PKW1", "DLG_PKW2", "DLG_PKW2"}, 13, "Fahrzeugschein/brief", "F"},
    {220, 332, 173, 28, {"DLG_SERIE1", "DLG_SERIE2", "DLG_SERIE2"}, 14, "Seriennummern", "N"},
    {220, 264, 173, 28, {"DLG_SOFTWARE1", "DLG_SOFTWARE2", "DLG_SOFTWARE2"}, 15, "Softwareregistrierung", "S"},
    {220, 162, 173, 28, {"DLG_NUMMERN1", "DLG_NUMMERN2", "DLG_NUMMERN2"}, 16, "Wichtige Nummern", "W"},
    {452, 380, 112, 72, {"FEDER1", "FEDER2", "FEDER3"}, CmEmergencyFolder, "Notfallmappe", "Ctrl+P"},
    {96, 36, 72, 72, {"FRISTEN1", "FRISTEN2", "FRISTEN3"}, CmDeadlines, "Fristen", "T"},
    {448, 36, 72, 72, {"SUCHEN1", "SUCHEN2", "SUCHEN3"}, CmSearch, "Suchen", "Ctrl+F; U"},
    {518, 134, 72, 72, {"VERTRAG1", "VERTRAG2", "VERTRAG3"}, CmContracts, "Verträge", "Ctrl+Shift+K"},
}};
// clang-format on

// The note that conflicts are open: a button on the free wood between the backup box and the
// pencil tray, covering no hot spot, and the key that presses it.
struct DeskRect {
    int x, y, w, h;
};
inline constexpr DeskRect kConflictNote{12, 360, 186, 38};
inline constexpr const char* kConflictKeys = "Ctrl+K";
