#include "print/ContractLetter.h"

#include "store/ContractFields.h"
#include "util/ContractTerms.h"

#include <QRegularExpression>

using namespace LetterGeometry;

namespace {

constexpr int kPersonalCategory = 1;
constexpr int kNameId = 100;
constexpr int kAddressId = 101;
constexpr double kWidth = FolderGeometry::kPageWidth - kLeft - kRight;
constexpr int kAddressLines = 6; // what the window's address zone holds

QString Value(const std::map<int, std::string>& values, int id) {
    const auto it = values.find(id);
    return it == values.end() ? QString() : QString::fromStdString(it->second).trimmed();
}

QString DateText(const CalendarDate& d) {
    return QStringLiteral("%1.%2.%3")
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.year, 4, 10, QLatin1Char('0'));
}

// Lines placed one under another from y on; returns the y below the last.
double AddLines(FolderPage& page, const std::vector<QString>& lines, double y, PrintRole role,
                double width = kWidth) {
    for (const QString& line : lines) {
        page.texts.push_back(PageText{kLeft, y, width, line, role, false});
        y += FolderGeometry::LineHeight(role);
    }
    return y;
}

std::vector<QString> AddressLines(const LetterFacts& facts) {
    std::vector<QString> lines;
    const QStringList typed =
        facts.providerAddress.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!facts.provider.isEmpty() &&
        (typed.isEmpty() || typed.front().trimmed().compare(facts.provider, Qt::CaseInsensitive)))
        lines.push_back(facts.provider);
    for (const QString& line : typed)
        if (!line.trimmed().isEmpty() && static_cast<int>(lines.size()) < kAddressLines)
            lines.push_back(line.trimmed());
    return lines;
}

} // namespace

QString TownOf(const QString& address) {
    static const QRegularExpression postcode(QStringLiteral("(?:^|\\D)\\d{5}\\s+([^,;]+)"));
    const QRegularExpressionMatch match = postcode.match(address);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QStringList MissingLetterParts(const LetterFacts& facts) {
    QStringList missing;
    if (facts.senderName.trimmed().isEmpty())
        missing << QStringLiteral("Ihr Name (aus \u201EPers\u00F6nliches\u201C)");
    if (facts.senderAddress.trimmed().isEmpty())
        missing << QStringLiteral("Ihre Anschrift (aus \u201EPers\u00F6nliches\u201C)");
    if (facts.providerAddress.trimmed().isEmpty())
        missing << QStringLiteral("die Anschrift des Anbieters");
    if (facts.contractNumber.trimmed().isEmpty())
        missing << QStringLiteral("die Vertragsnummer");
    return missing;
}

LetterFacts ContractLetterFacts(const std::map<int, std::string>& personal,
                                const std::map<int, std::string>& contracts, int contract,
                                const CalendarDate& today) {
    LetterFacts facts;
    facts.senderName = Value(personal, kNameId);
    facts.senderAddress = Value(personal, kAddressId);
    facts.provider = Value(contracts, ContractFieldId(contract, ContractPart::Provider));
    facts.providerAddress = Value(contracts, ContractFieldId(contract, ContractPart::Address));
    facts.contractNumber = Value(contracts, ContractFieldId(contract, ContractPart::Number));
    const CancelDate end = ComputeCancelDate(TermsOf(contracts, contract), today);
    if (end.kind != CancelDate::Kind::NotComputable)
        facts.endDate = DateText(end.endsOn);
    facts.place = TownOf(facts.senderAddress);
    facts.date = DateText(today);
    return facts;
}

FolderPage BuildContractLetter(const LetterFacts& facts, const TextWidth& measure) {
    FolderPage page;
    page.framed = false;
    AddLines(page, {facts.senderName}, 20, PrintRole::Heading);
    AddLines(page, {facts.senderAddress}, 26, PrintRole::Letter);
    // The sender once more, small, above the address: it shows in the envelope's window.
    QString back = facts.senderName;
    if (!facts.senderAddress.isEmpty())
        back += (back.isEmpty() ? QString() : QStringLiteral(" \u00B7 ")) + facts.senderAddress;
    AddLines(page, {back}, kReturnLine - FolderGeometry::LineHeight(PrintRole::Small),
             PrintRole::Small, 80);
    page.rules.push_back(PageRule{kLeft, kReturnLine + 0.3, 80, false});
    AddLines(page, AddressLines(facts), kAddressTop, PrintRole::Letter, 80);
    const QString dated =
        facts.place.isEmpty() ? facts.date : facts.place + QStringLiteral(", ") + facts.date;
    page.texts.push_back(
        PageText{kLeft, kSubjectTop - 9.2, kWidth, dated, PrintRole::Letter, true});
    QString subject = QStringLiteral("K\u00FCndigung des Vertrags");
    if (!facts.contractNumber.isEmpty())
        subject += QLatin1Char(' ') + facts.contractNumber;
    double y = AddLines(page, WrapText(subject, kWidth, PrintRole::Heading, measure), kSubjectTop,
                        PrintRole::Heading);
    const QString when =
        facts.endDate.isEmpty()
            ? QStringLiteral("fristgerecht zum n\u00E4chstm\u00F6glichen Termin.")
            : QStringLiteral(
                  "fristgerecht zum %1, hilfsweise zum n\u00E4chstm\u00F6glichen Termin.")
                  .arg(facts.endDate);
    const QString paragraphs[] = {
        QStringLiteral("Sehr geehrte Damen und Herren,"),
        QStringLiteral("hiermit k\u00FCndige ich den oben genannten Vertrag ") + when,
        QStringLiteral("Bitte best\u00E4tigen Sie mir den Eingang dieser K\u00FCndigung und den "
                       "Tag, an dem der Vertrag endet, schriftlich."),
        QStringLiteral("Mit freundlichen Gr\u00FC\u00DFen")};
    const double line = FolderGeometry::LineHeight(PrintRole::Letter);
    y += line;
    for (const QString& paragraph : paragraphs)
        y = AddLines(page, WrapText(paragraph, kWidth, PrintRole::Letter, measure), y + line,
                     PrintRole::Letter);
    y += 4 * line;
    page.rules.push_back(PageRule{kLeft, y, 70, true});
    AddLines(page, {facts.senderName}, y + 1, PrintRole::Letter, 70);
    for (const double fold : kFoldMarks)
        page.rules.push_back(PageRule{4, fold, 5, false});
    page.rules.push_back(PageRule{4, kPunchMark, 7, false});
    return page;
}
