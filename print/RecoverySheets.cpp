#include "print/RecoverySheets.h"

#include "recovery/ShareQr.h"

#include <QStringList>

using namespace FolderGeometry;

namespace {

constexpr double kQrSide = 58;
constexpr double kCodeLeft = kLeft + kQrSide + 12;

QStringList Instructions(const RecoverySheetFacts& f) {
    const QString user = f.userName;
    QStringList steps;
    if (f.threshold == 1) {
        steps << QStringLiteral("Dieser Bogen allein öffnet die Daten von %1 ohne Paßwort. "
                                "Bewahren Sie ihn auf wie das Paßwort selbst: verschlossen, "
                                "niemals fotografiert, kopiert oder weitergegeben.")
                     .arg(user);
    } else {
        const QString others =
            f.threshold == 2
                ? QStringLiteral("einem weiteren Bogen")
                : QStringLiteral("%1 weiteren Bögen").arg(QString::number(f.threshold - 1));
        steps << QStringLiteral("Bewahren Sie diesen Bogen sicher auf, etwa bei Ihren wichtigen "
                                "Papieren. Allein öffnet er nichts. Zusammen mit %1 öffnet er "
                                "die Daten von %2 auch ohne Paßwort: deshalb niemals "
                                "fotografieren, kopieren oder weitergeben.")
                     .arg(others, user);
        steps << QStringLiteral("Im Notfall bringen %1 der %2 Bogeninhaber ihre Bögen zusammen "
                                "(oder geben sie einer Person ihres Vertrauens).")
                     .arg(QString::number(f.threshold), QString::number(f.count));
    }
    steps << QStringLiteral("Starten Sie Quillory auf dem Rechner von %1 und melden Sie sich "
                            "mit dem Namen „%1“ an. Wenn nach dem Paßwort gefragt wird, wählen "
                            "Sie „Notfallzugang…“.")
                 .arg(user);
    steps << QStringLiteral(
        "Tippen Sie den Code eines Bogens ein und bestätigen Sie. Groß- und "
        "Kleinschreibung, Leerzeichen und Striche sind gleich. Oder lesen Sie "
        "ihn im Notfall mit „Aus Bild lesen…“ aus einem Foto oder Scan des QR-Codes; "
        "löschen Sie das Bild danach. Das Programm sagt nach jedem Bogen, wie "
        "viele noch fehlen.");
    steps << QStringLiteral("Das letzte Zeichen jeder Gruppe ist ein Prüfzeichen. Bei einem "
                            "Tippfehler nennt das Programm die Gruppe: vergleichen Sie nur diese "
                            "noch einmal mit dem Bogen.");
    steps << QStringLiteral("Danach vergeben Sie ein neues Paßwort. Die benutzten Bögen gelten "
                            "dann nicht mehr; es können neue erstellt werden.");
    steps << QStringLiteral("Wird ein neuer Notfallzugang eingerichtet, gelten alle alten Bögen "
                            "nicht mehr.");
    return steps;
}

// Text lines from y on, wrapped to width; returns the y below them.
double Paragraph(FolderPage& page, double x, double y, double width, const QString& text,
                 PrintRole role, const TextWidth& measure) {
    for (const QString& line : WrapText(text, width, role, measure)) {
        page.texts.push_back({x, y, width, line, role, false});
        y += LineHeight(role);
    }
    return y;
}

void Qr(FolderPage& page, const QString& code, double x, double y) {
    const recovery::QrMatrix qr = recovery::QrCodeOf(code.toStdString());
    if (qr.size == 0)
        return;
    const double module = kQrSide / qr.size;
    for (int my = 0; my < qr.size; ++my)
        for (int mx = 0; mx < qr.size; ++mx)
            if (qr.Dark(mx, my))
                page.boxes.push_back({x + mx * module, y + my * module, module});
}

void Code(FolderPage& page, const QString& code, double y) {
    const QStringList groups = code.split(QLatin1Char('-'));
    const double column = 40;
    for (int i = 0; i < groups.size(); ++i) {
        const double x = kCodeLeft + (i % 2) * column;
        const double top =
            y + (i / 2) * (LineHeight(PrintRole::Code) + LineHeight(PrintRole::Small));
        page.texts.push_back(
            {x, top, column, QStringLiteral("Gruppe %1").arg(i + 1), PrintRole::Small, false});
        page.texts.push_back(
            {x, top + LineHeight(PrintRole::Small), column, groups[i], PrintRole::Code, false});
    }
}

FolderPage Sheet(const RecoverySheetFacts& f, const RecoverySheet& s, const TextWidth& measure) {
    FolderPage page;
    const QString ofCount = QStringLiteral("Notfallbogen %1 von %2")
                                .arg(QString::number(s.number), QString::number(f.count));
    page.headerLeft = QStringLiteral("Notfallzugang zu den Daten von ") + f.userName;
    page.headerRight = f.date;
    page.footerLeft = ofCount + QStringLiteral(" für ") + s.name;
    page.footerRight = QStringLiteral("Erstellt am ") + f.date;
    double y = kBodyTop;
    page.texts.push_back({kLeft, y, kBodyWidth, ofCount, PrintRole::Title, false});
    y += LineHeight(PrintRole::Title) + 1;
    page.texts.push_back(
        {kLeft, y, kBodyWidth, QStringLiteral("für ") + s.name, PrintRole::Heading, false});
    y += LineHeight(PrintRole::Heading) + 2;
    const QString opens =
        QStringLiteral("Dieser Bogen öffnet das Quillory-Dokument von %1 („%1.qlr“). Erstellt am "
                       "%2. ")
            .arg(f.userName, f.date) +
        (f.threshold == 1 ? QStringLiteral("Er allein genügt.")
                          : QStringLiteral("Nötig sind %1 der %2 Bögen.")
                                .arg(QString::number(f.threshold), QString::number(f.count)));
    y = Paragraph(page, kLeft, y, kBodyWidth, opens, PrintRole::Value, measure) + 4;
    Qr(page, s.code, kLeft, y);
    page.texts.push_back({kCodeLeft, y, kBodyWidth - (kCodeLeft - kLeft),
                          QStringLiteral("Code zum Eintippen:"), PrintRole::Label, false});
    Code(page, s.code, y + LineHeight(PrintRole::Label) + 2);
    y += kQrSide + 8;
    page.texts.push_back(
        {kLeft, y, kBodyWidth, QStringLiteral("Was ist zu tun?"), PrintRole::Heading, false});
    y += LineHeight(PrintRole::Heading) + 1;
    const QStringList steps = Instructions(f);
    for (int i = 0; i < steps.size(); ++i) {
        page.texts.push_back(
            {kLeft, y, 6, QString::number(i + 1) + QLatin1Char('.'), PrintRole::Value, false});
        y = Paragraph(page, kLeft + 6, y, kBodyWidth - 6, steps[i], PrintRole::Value, measure) +
            1.5;
    }
    return page;
}

} // namespace

std::vector<FolderPage> BuildRecoverySheets(const RecoverySheetFacts& facts,
                                            const std::vector<RecoverySheet>& sheets,
                                            const TextWidth& measure) {
    std::vector<FolderPage> pages;
    for (const RecoverySheet& s : sheets)
        pages.push_back(Sheet(facts, s, measure));
    return pages;
}
