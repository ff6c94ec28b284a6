#include "print/FolderPages.h"

#include "catalogue/FieldCatalogue.h"
#include "platform/gui/ResourceScript.h"
#include "platform/gui/WinStyles.h"
#include "store/CategorySchema.h"
#include "util/LineBreaks.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace FolderGeometry {

double LineHeight(PrintRole role) {
    switch (role) {
    case PrintRole::Title:
        return 9.0;
    case PrintRole::Heading:
        return 5.5;
    case PrintRole::Small:
        return 3.4;
    case PrintRole::Code:
        return 7.0;
    case PrintRole::Letter:
        return 4.6;
    case PrintRole::Label:
    case PrintRole::Value:
        break;
    }
    return 3.6;
}

} // namespace FolderGeometry

using namespace FolderGeometry;

namespace {

// Space between a field's top and its first line.
constexpr double kFieldPad = 0.7;
// Millimetres per dialog unit at most: the scale of the widest forms.
constexpr double kMaxScale = 0.45;
// Slack when comparing positions that come from the same dialog-unit grid.
constexpr double kEpsilon = 1e-6;

// One line of text or one rule on the endless strip of a category, before it is cut into pages.
struct StripItem {
    double top = 0, bottom = 0;
    bool isRule = false;
    PageText text;
    PageRule rule;
};

void AddText(std::vector<StripItem>& strip, double x, double y, double width, const QString& text,
             PrintRole role, bool alignRight = false, double scale = 1.0) {
    StripItem item;
    item.top = y;
    item.bottom = y + LineHeight(role);
    item.text = PageText{x, y, width, text, role, alignRight, scale};
    strip.push_back(std::move(item));
}

// The lines of a fitted text one under the other; returns their height.
double AddLines(std::vector<StripItem>& strip, double x, double y, double width,
                const FittedText& text, PrintRole role, bool alignRight = false) {
    for (size_t k = 0; k < text.lines.size(); ++k) {
        AddText(strip, x, y + LineHeight(role) * static_cast<double>(k), width, text.lines[k], role,
                alignRight, text.scale);
    }
    return LineHeight(role) * static_cast<double>(text.lines.size());
}

void AddRule(std::vector<StripItem>& strip, double x, double y, double width, bool toFill) {
    StripItem item;
    item.isRule = true;
    // A rule belongs to the line above it: a cut never falls between the two.
    item.top = y - LineHeight(PrintRole::Value) * 0.5;
    item.bottom = y;
    item.rule = PageRule{x, y, width, toFill};
    strip.push_back(std::move(item));
}

// Where each page of a strip ends: at the body height, or earlier at the top of an item that
// would be cut in two. Returns the start of every page.
std::vector<double> PageStarts(const std::vector<StripItem>& strip) {
    double end = 0;
    for (const StripItem& item : strip)
        end = std::max(end, item.bottom);
    std::vector<double> starts{0.0};
    while (end - starts.back() > kBodyHeight + kEpsilon) {
        const double start = starts.back();
        double cut = start + kBodyHeight;
        for (const StripItem& item : strip) {
            if (item.top > start + kEpsilon && item.top < cut && item.bottom > cut + kEpsilon)
                cut = item.top;
        }
        if (cut <= start + kEpsilon)
            cut = start + kBodyHeight; // one item taller than a page: cut through it
        starts.push_back(cut);
    }
    return starts;
}

std::vector<FolderPage> CutIntoPages(const std::vector<StripItem>& strip) {
    const std::vector<double> starts = PageStarts(strip);
    std::vector<FolderPage> pages(starts.size());
    for (const StripItem& item : strip) {
        size_t p = 0;
        while (p + 1 < starts.size() && item.top >= starts[p + 1] - kEpsilon)
            ++p;
        const double dy = kBodyTop - starts[p];
        if (item.isRule) {
            PageRule rule = item.rule;
            rule.y += dy;
            pages[p].rules.push_back(rule);
        } else {
            PageText text = item.text;
            text.y += dy;
            pages[p].texts.push_back(std::move(text));
        }
    }
    return pages;
}

// A control of the form's template placed on the strip.
struct Placed {
    double top = 0, bottom = 0; // in the template, scaled to mm
    int control = 0;            // index in the template
    bool field = false;
};

// The form's fields of the category and its labels with text, top to bottom.
std::vector<Placed> PlacedControls(const DialogTemplate& form, int category, double scale) {
    const int fieldCount = static_cast<int>(FieldsOf(category).size());
    std::vector<Placed> placed;
    for (size_t i = 0; i < form.controls.size(); ++i) {
        const ControlTemplate& c = form.controls[i];
        const bool field = c.kind == ControlKind::Edit && c.id >= kFirstFieldId &&
                           c.id < kFirstFieldId + fieldCount;
        const bool label = c.kind == ControlKind::Static && !c.text.empty();
        if (field || label)
            placed.push_back({c.y * scale, (c.y + c.cy) * scale, static_cast<int>(i), field});
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.top < b.top; });
    return placed;
}

// How far the fields that grew have pushed a point of the form down.
class Growths {
public:
    double ShiftAt(double y) const {
        double shift = 0;
        for (const Growth& g : m_growths) {
            if (g.bottom <= y + kEpsilon)
                shift = std::max(shift, g.push);
        }
        return shift;
    }
    void Add(double bottom, double push) {
        if (push > kEpsilon)
            m_growths.push_back({bottom, push});
    }

private:
    struct Growth {
        double bottom, push;
    };
    std::vector<Growth> m_growths;
};

// The printed lines of a field's value: the mask for a secret one when masking, else the value
// fitted to the box.
FittedText FieldLines(const FolderCategory& category, int id, double width,
                      const FolderOptions& options, const TextWidth& measure) {
    const auto found = category.values.find(id);
    const QString value = found == category.values.end() ? QString() : found->second;
    if (!value.isEmpty() && options.mask && IsMaskedField(category.category, id))
        return {{kMaskText}, 1.0};
    return FitText(value, width - 2 * kFieldPad, PrintRole::Value, measure);
}

// A note under a field's value (a derived IBAN, a failed check), only where the field holds
// something.
FittedText NoteLines(const FolderCategory& category, int id, bool empty, double width,
                     const TextWidth& measure) {
    const auto note = category.notes.find(id);
    if (note == category.notes.end() || empty)
        return {};
    return FitText(note->second, width - 2 * kFieldPad, PrintRole::Small, measure);
}

struct FieldText {
    FittedText lines;
    FittedText notes;
};

// A field's lines with a rule under them, or rules to write on for an empty one (as many as an
// empty memo's box holds, one for any other field). Returns the height the field takes.
double AddField(std::vector<StripItem>& strip, const FieldText& text, bool memo, double x,
                double top, double width, double box) {
    const std::vector<QString>& lines = text.lines.lines;
    const double valueLine = LineHeight(PrintRole::Value);
    const double noteLine = LineHeight(PrintRole::Small);
    const int blankLines = memo ? std::max(1, static_cast<int>(std::floor(box / valueLine))) : 1;
    const double valuesHeight =
        valueLine * static_cast<double>(lines.empty() ? blankLines : lines.size());
    const double height = std::max(
        box, kFieldPad + valuesHeight + noteLine * static_cast<double>(text.notes.lines.size()));
    AddLines(strip, x + kFieldPad, top + kFieldPad, width - 2 * kFieldPad, text.lines,
             PrintRole::Value);
    AddLines(strip, x + kFieldPad, top + kFieldPad + valuesHeight, width - 2 * kFieldPad,
             text.notes, PrintRole::Small);
    if (lines.empty()) {
        for (int k = 1; k <= blankLines; ++k)
            AddRule(strip, x, top + height * k / blankLines, width, true);
    } else {
        AddRule(strip, x, top + height, width, false);
    }
    return height;
}

// The category's fields and labels where its form has them, scaled to the page width. A field
// longer than its box grows downwards and pushes everything below it down as far.
std::vector<StripItem> LayOutForm(const FolderCategory& category, const FolderOptions& options,
                                  const TextWidth& measure) {
    std::vector<StripItem> strip;
    AddText(strip, kLeft, 0, kBodyWidth, category.title, PrintRole::Heading);
    const double formTop = LineHeight(PrintRole::Heading) + 3.0;
    if (!category.form || category.form->cx <= 0)
        return strip;

    const DialogTemplate& form = *category.form;
    // A narrow form keeps the size of the others rather than growing to the page width.
    const double scale = std::min(kBodyWidth / form.cx, kMaxScale);
    Growths growths;
    for (const Placed& p : PlacedControls(form, category.category, scale)) {
        const ControlTemplate& c = form.controls[static_cast<size_t>(p.control)];
        const double x = kLeft + c.x * scale;
        const double width = c.cx * scale;
        const double top = formTop + p.top + growths.ShiftAt(p.top);
        double height = 0;
        if (!p.field) {
            const uint32_t align = c.style & SS_TYPEMASK;
            const FittedText label =
                FitText(QString::fromStdString(c.text), width, PrintRole::Label, measure);
            const double lines =
                AddLines(strip, x, top, width, label, PrintRole::Label, align == SS_RIGHT);
            // Only a label that had to wrap pushes the rows below it down.
            height = label.lines.size() > 1 ? lines : 0;
        } else {
            FieldText text{FieldLines(category, c.id, width, options, measure), {}};
            text.notes = NoteLines(category, c.id, text.lines.lines.empty(), width, measure);
            height = AddField(strip, text, IsMemoField(category.category, c.id), x, top, width,
                              p.bottom - p.top);
        }
        growths.Add(p.bottom, (top + std::max(height, p.bottom - p.top)) - (formTop + p.bottom));
    }
    return strip;
}

// The category's blocks: each heading, then its rows with the label left of the value.
std::vector<StripItem> LayOutBlocks(const FolderCategory& category, const FolderOptions& options,
                                    const TextWidth& measure) {
    std::vector<StripItem> strip;
    AddText(strip, kLeft, 0, kBodyWidth, category.title, PrintRole::Heading);
    double y = LineHeight(PrintRole::Heading) + 3.0;
    constexpr double kLabelWidth = 46;
    const double valueWidth = kBodyWidth - kLabelWidth;
    const double box = LineHeight(PrintRole::Value) + kFieldPad;
    for (const FolderBlock& block : category.blocks) {
        y += 3.0;
        AddText(strip, kLeft, y, kBodyWidth, block.heading, PrintRole::Heading);
        y += LineHeight(PrintRole::Heading);
        for (const FolderRow& row : block.rows) {
            AddText(strip, kLeft, y + kFieldPad, kLabelWidth - 2, row.label, PrintRole::Label);
            FieldText text{
                row.secret && options.mask && !row.value.isEmpty()
                    ? FittedText{{kMaskText}, 1.0}
                    : FitText(row.value, valueWidth - 2 * kFieldPad, PrintRole::Value, measure),
                {}};
            y += AddField(strip, text, false, kLeft + kLabelWidth, y, valueWidth, box);
        }
    }
    return strip;
}

} // namespace

bool IsFilled(const FolderCategory& category) {
    return std::any_of(category.values.begin(), category.values.end(),
                       [](const auto& field) { return !field.second.trimmed().isEmpty(); });
}

namespace {

std::vector<FolderPage> CoverPages(const FolderFacts& facts,
                                   const std::vector<FolderCategory>& categories,
                                   const std::vector<int>& firstPages, const FolderOptions& options,
                                   const TextWidth& measure) {
    std::vector<StripItem> strip;
    double y = 0;
    auto paragraph = [&](const QString& text, PrintRole role, double after) {
        y += AddLines(strip, kLeft, y, kBodyWidth, FitText(text, kBodyWidth, role, measure), role);
        y += after;
    };
    paragraph(QStringLiteral("Notfallmappe von ") + facts.userName, PrintRole::Title, 4);
    paragraph(QStringLiteral("Stand: ") + facts.date, PrintRole::Value, 2);
    paragraph(facts.isProtected
                  ? QStringLiteral("Das Dokument ist durch ein Paßwort geschützt.")
                  : QStringLiteral("Das Dokument ist nicht durch ein Paßwort geschützt."),
              PrintRole::Value, 2);
    paragraph(options.mask ? QStringLiteral("Geheimnummern und Paßwörter sind verdeckt (") +
                                 kMaskText + QStringLiteral(").")
                           : QStringLiteral("Diese Mappe enthält Geheimnummern und Paßwörter im "
                                            "Klartext: bewahren Sie sie sicher auf."),
              PrintRole::Value, 8);

    paragraph(QStringLiteral("Inhalt"), PrintRole::Heading, 1);
    const double pageColumn = 30;
    for (size_t i = 0; i < categories.size(); ++i) {
        const double height = AddLines(
            strip, kLeft, y, kBodyWidth - pageColumn,
            FitText(categories[i].title, kBodyWidth - pageColumn, PrintRole::Value, measure),
            PrintRole::Value);
        AddText(strip, kLeft + kBodyWidth - pageColumn, y, pageColumn,
                QStringLiteral("Seite %1").arg(firstPages[i]), PrintRole::Value, true);
        y += height + 1.2;
        AddRule(strip, kLeft, y - 0.6, kBodyWidth, false);
    }
    y += 12;

    const double labelWidth = 45;
    for (const QString& label :
         {QStringLiteral("Paßwort hinterlegt bei:"), QStringLiteral("Vertrauensperson:")}) {
        AddText(strip, kLeft, y, labelWidth, label, PrintRole::Value);
        for (int k = 1; k <= 2; ++k) {
            AddRule(strip, kLeft + labelWidth, y + 9.0 * k - 5.0, kBodyWidth - labelWidth, true);
        }
        y += 22;
    }

    return CutIntoPages(strip);
}

// The deadlines as a table, soonest first: what the overview shows, with the state in words as
// of the print date beside an absolute date. Every cell wraps within its column.
std::vector<FolderPage> DeadlinePages(const std::vector<FolderDeadline>& rows, const QString& date,
                                      const TextWidth& measure) {
    std::vector<StripItem> strip;
    double y = 0;
    AddText(strip, kLeft, y, kBodyWidth, QStringLiteral("Fristen"), PrintRole::Title);
    y += LineHeight(PrintRole::Title) + 1;
    AddText(strip, kLeft, y, kBodyWidth, QStringLiteral("Stand: ") + date, PrintRole::Value);
    y += LineHeight(PrintRole::Value) + 3;
    // Stand, Datum, Formular; "Was" takes the rest.
    constexpr double kGap = 2;
    const double widths[] = {24, 24, 38, kBodyWidth - 24 - 24 - 38};
    auto row = [&](const QStringList& cells, PrintRole role) {
        double x = kLeft, height = LineHeight(role);
        for (int i = 0; i < 4; ++i) {
            const double width = widths[i] - (i < 3 ? kGap : 0);
            height = std::max(height, AddLines(strip, x, y, width,
                                               FitText(cells[i], width, role, measure), role));
            x += widths[i];
        }
        y += height + 1.2;
        AddRule(strip, kLeft, y - 0.6, kBodyWidth, false);
    };
    row({QStringLiteral("Stand"), QStringLiteral("Datum"), QStringLiteral("Formular"),
         QStringLiteral("Was")},
        PrintRole::Label);
    for (const FolderDeadline& d : rows)
        row({d.state, d.date, d.form, d.what}, PrintRole::Value);
    return CutIntoPages(strip);
}

bool IsSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char(',') ||
           c == QLatin1Char(';');
}

// How many characters of a word too wide for a line go on this line: up to its last separator
// that fits, else as many as fit, at least one and never half a character.
qsizetype BreakAt(const QString& word, const std::function<bool(const QString&)>& fits) {
    qsizetype n = 1;
    while (n < word.size() && fits(word.left(n + 1)))
        ++n;
    for (qsizetype k = n; k > 1; --k) {
        if (IsSeparator(word[k - 1]))
            return k;
    }
    if (n < word.size() && word[n - 1].isHighSurrogate())
        ++n;
    return n;
}

// Greedy filling of one line of text (no line breaks in it).
void WrapLine(const QString& line, double width, PrintRole role, const TextWidth& measure,
              double scale, std::vector<QString>& out) {
    const std::function<bool(const QString&)> fits = [&](const QString& text) {
        return measure(text, role) * scale <= width + kEpsilon;
    };
    QString current;
    bool started = false;
    for (QString word : line.split(QLatin1Char(' '))) {
        const QString joined = started ? current + QLatin1Char(' ') + word : word;
        if (fits(joined)) {
            current = joined;
            started = true;
            continue;
        }
        if (started)
            out.push_back(current);
        while (!fits(word)) {
            const qsizetype n = BreakAt(word, fits);
            out.push_back(word.left(n));
            word = word.mid(n);
        }
        current = word;
        started = true;
    }
    out.push_back(current);
}

QStringList TextLines(const QString& text) {
    QStringList parts =
        QString::fromStdString(LfLineBreaks(text.toStdString())).split(QLatin1Char('\n'));
    if (parts.size() > 1 && parts.back().isEmpty())
        parts.removeLast(); // a final line break adds no empty line
    return parts;
}

// Words this long may be broken rather than shrink the whole text.
constexpr qsizetype kLongWord = 25;

bool ShortWordsFit(const QStringList& lines, double width, PrintRole role, const TextWidth& measure,
                   double scale) {
    for (const QString& line : lines) {
        for (const QString& word : line.split(QLatin1Char(' '))) {
            if (word.size() < kLongWord && measure(word, role) * scale > width + kEpsilon)
                return false;
        }
    }
    return true;
}

} // namespace

std::vector<QString> WrapText(const QString& text, double width, PrintRole role,
                              const TextWidth& measure, double scale) {
    std::vector<QString> lines;
    if (text.isEmpty())
        return lines;
    for (const QString& part : TextLines(text))
        WrapLine(part, width, role, measure, scale, lines);
    return lines;
}

FittedText FitText(const QString& text, double width, PrintRole role, const TextWidth& measure) {
    if (text.isEmpty())
        return {};
    const QStringList lines = TextLines(text);
    double scale = 1.0;
    while (scale > kMinTextScale + kEpsilon && !ShortWordsFit(lines, width, role, measure, scale))
        scale = std::max(kMinTextScale, scale - 0.04);
    return {WrapText(text, width, role, measure, scale), scale};
}

std::vector<FolderPage> BuildFolderPages(const FolderFacts& facts,
                                         const std::vector<FolderCategory>& categories,
                                         const FolderOptions& options, const TextWidth& measure) {
    std::vector<FolderPage> body;
    std::vector<int> firstPages; // counted without the cover
    for (const FolderCategory& category : categories) {
        firstPages.push_back(static_cast<int>(body.size()) + 1);
        std::vector<FolderPage> pages =
            CutIntoPages(category.blocks.empty() ? LayOutForm(category, options, measure)
                                                 : LayOutBlocks(category, options, measure));
        for (size_t i = 0; i < pages.size(); ++i) {
            pages[i].headerLeft =
                i == 0 ? category.title : category.title + QStringLiteral(" (Fortsetzung)");
            body.push_back(std::move(pages[i]));
        }
    }

    std::vector<FolderPage> deadlines;
    if (!facts.deadlines.empty())
        deadlines = DeadlinePages(facts.deadlines, facts.date, measure);
    for (FolderPage& page : deadlines)
        page.headerLeft = QStringLiteral("Fristen");
    for (int& first : firstPages)
        first += static_cast<int>(deadlines.size());
    std::vector<FolderPage> pages;
    if (options.cover) {
        // The cover's length does not depend on the page numbers it lists: count it once,
        // then number the categories behind it.
        const size_t coverCount =
            CoverPages(facts, categories, firstPages, options, measure).size();
        for (int& first : firstPages)
            first += static_cast<int>(coverCount);
        pages = CoverPages(facts, categories, firstPages, options, measure);
        for (FolderPage& page : pages)
            page.headerLeft = QStringLiteral("Notfallmappe");
    }
    for (FolderPage& page : deadlines)
        pages.push_back(std::move(page));
    for (FolderPage& page : body)
        pages.push_back(std::move(page));
    const int total = static_cast<int>(pages.size());
    for (int n = 0; n < total; ++n) {
        FolderPage& page = pages[static_cast<size_t>(n)];
        page.headerRight = facts.userName;
        page.footerLeft = QStringLiteral("Stand: ") + facts.date;
        page.footerRight = QStringLiteral("Seite %1 von %2").arg(n + 1).arg(total);
    }
    return pages;
}
