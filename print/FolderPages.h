#pragma once

#include <QString>

#include <functional>
#include <map>
#include <vector>

struct DialogTemplate;

// The emergency folder as pages: a cover page and each chosen category laid out like its form,
// in millimetres on A4. Pure layout: text widths come from the caller, so the pages can be
// built and checked without any paint device.

// What a piece of text is; the painter gives each role its font.
enum class PrintRole { Title, Heading, Label, Value, Small, Code, Letter };

struct PageText {
    double x = 0, y = 0; // top-left corner, mm from the page's top-left corner
    double width = 0;    // the box the text stands in (right alignment, clipping)
    QString text;
    PrintRole role = PrintRole::Value;
    bool alignRight = false;
    double scale = 1.0; // the font's size relative to the role's
};

// A horizontal line: light under a printed value, dark where something is to be written by hand.
struct PageRule {
    double x = 0, y = 0, width = 0;
    bool toFill = false;
};

// A filled black square (a QR code's module).
struct PageBox {
    double x = 0, y = 0, side = 0;
};

struct FolderPage {
    QString headerLeft, headerRight, footerLeft, footerRight;
    bool framed = true; // the header and footer rules; a letter has none
    std::vector<PageText> texts;
    std::vector<PageRule> rules;
    std::vector<PageBox> boxes;
};

// One row of the page "Fristen". Paper is read long after printing: the state is in words as
// of the print date and the date absolute, never "noch 21 Tage".
struct FolderDeadline {
    QString state; // "abgelaufen", "fällig bis", "gültig bis" or "nicht lesbar"
    QString date;  // "31.12.2027", or the text as typed
    QString form;
    QString what;
};

struct FolderFacts {
    QString userName;
    QString date; // "08.12.2026"
    bool isProtected = false;
    // The page "Fristen" after the cover; none when empty.
    std::vector<FolderDeadline> deadlines;
};

// A labelled value of a category printed as lists (secret ones masked when masking).
struct FolderRow {
    QString label;
    QString value;
    bool secret = false;
};

// A headed list of such values.
struct FolderBlock {
    QString heading;
    std::vector<FolderRow> rows;
};

struct FolderCategory {
    int category = 0;
    QString title;
    const DialogTemplate* form = nullptr; // the form's dialog template
    std::map<int, QString> values; // field id to its text; memo lines as the tables keep them
    std::map<int, QString> notes;  // field id to a line printed small under its value
    // When not empty, the category is printed as these lists instead of like its form.
    std::vector<FolderBlock> blocks;
};

struct FolderOptions {
    bool mask = true;
    bool cover = true;
};

// A4 and the folder's margins and line heights, in millimetres.
namespace FolderGeometry {
inline constexpr double kPageWidth = 210;
inline constexpr double kPageHeight = 297;
inline constexpr double kLeft = 18;
inline constexpr double kRight = 18;
inline constexpr double kHeaderTop = 12;
inline constexpr double kBodyTop = 26;
inline constexpr double kBodyBottom = 274;
inline constexpr double kFooterTop = 280;
inline constexpr double kBodyWidth = kPageWidth - kLeft - kRight;
inline constexpr double kBodyHeight = kBodyBottom - kBodyTop;
double LineHeight(PrintRole role);
} // namespace FolderGeometry

// Whether any field of the category holds more than blanks.
bool IsFilled(const FolderCategory& category);

// What masked secrets print as.
inline const QString kMaskText = QStringLiteral("\u2022\u2022\u2022\u2022");

// Width of a text in a role's font, in millimetres.
using TextWidth = std::function<double(const QString& text, PrintRole role)>;

// The text as lines no wider than width at scale times the role's font: its own line breaks
// (CR LF, LF or CR) kept, words moved to the next line; a word wider than a line is broken after
// a separator ("/", "-", ",", ";") where it has one, else between characters. Empty text gives
// no lines.
std::vector<QString> WrapText(const QString& text, double width, PrintRole role,
                              const TextWidth& measure, double scale = 1.0);

// The smallest font FitText uses, relative to the role's.
inline constexpr double kMinTextScale = 0.72;

struct FittedText {
    std::vector<QString> lines;
    double scale = 1.0;
};

// The text wrapped to width in the largest font, down to kMinTextScale, in which no word has to
// be broken; a word that fits no line even then is broken at the smallest font, at a separator
// first. Numbers, dates and codes therefore stay whole wherever they can.
FittedText FitText(const QString& text, double width, PrintRole role, const TextWidth& measure);

// Every page of the folder: the cover page (when asked for), the deadlines, then each category in
// the given order, starting on a new page and running on to further pages where it is too long.
std::vector<FolderPage> BuildFolderPages(const FolderFacts& facts,
                                         const std::vector<FolderCategory>& categories,
                                         const FolderOptions& options, const TextWidth& measure);
