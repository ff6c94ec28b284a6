#pragma once

#include "print/FolderPages.h"
#include "util/GermanDate.h"

#include <QString>
#include <QStringList>

#include <map>
#include <string>

// A contract's cancellation letter as one A4 page laid out after DIN 5008 (form B): the
// sender, the provider's address in the window, place and date, the subject, the cancellation
// "fristgerecht zum ..., hilfsweise zum nächstmöglichen Termin", the request for a written
// confirmation and a line to sign on. Pure layout, like the folder's pages.

struct LetterFacts {
    QString senderName;
    QString senderAddress; // one line, as "Persönliches" holds it
    QString provider;
    QString providerAddress; // its lines
    QString contractNumber;
    QString endDate; // "31.03.2027"; empty: to the next possible date only
    QString place;   // the sender's town, empty when it cannot be read from his address
    QString date;    // "10.12.2026"
};

// The facts of contract `contract` from the values of the contracts' category and of
// "Persönliches" (name and address), on `today`.
LetterFacts ContractLetterFacts(const std::map<int, std::string>& personal,
                                const std::map<int, std::string>& contracts, int contract,
                                const CalendarDate& today);

// What the letter lacks, as the user reads it ("Ihr Name (aus „Persönliches“)", ...), in the
// letter's order; empty when it is complete.
QStringList MissingLetterParts(const LetterFacts& facts);

// The town of an address written on one line: what follows its five-digit postcode.
QString TownOf(const QString& address);

FolderPage BuildContractLetter(const LetterFacts& facts, const TextWidth& measure);

// DIN 5008 form B positions, in millimetres from the page's top-left corner.
namespace LetterGeometry {
inline constexpr double kLeft = 25;
inline constexpr double kRight = 20;
inline constexpr double kReturnLine = 57.5; // the sender line above the address
inline constexpr double kAddressTop = 63;
inline constexpr double kAddressBottom = 90;
inline constexpr double kSubjectTop = 103.4;
inline constexpr double kFoldMarks[] = {105, 210};
inline constexpr double kPunchMark = 148.5;
} // namespace LetterGeometry
