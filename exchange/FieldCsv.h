#pragma once

#include <string>
#include <string_view>
#include <vector>

// The three-column text file German spreadsheets open as they are: UTF-8 with a byte-order
// mark, ';' between columns, CR LF between lines, a header line "Formular;Feld;Wert", and a
// value quoted ("" for a quote) where it holds ';', a quote, a line break or blanks at its ends.
// A value a spreadsheet would run as a formula ("=...", "@...", "+A1", not "+49 30 1234") gets
// an apostrophe before it, and so does one that begins with an apostrophe and one of = + - @ ';
// reading takes exactly that apostrophe off.

struct CsvRow {
    std::string form;
    std::string field;
    std::string value;
    friend bool operator==(const CsvRow&, const CsvRow&) = default;
};

std::string WriteFieldCsv(const std::vector<CsvRow>& rows);

struct CsvRead {
    std::vector<CsvRow> rows;
    // Lines that are not three columns, as "Zeile <n>: <text>"; never dropped unseen.
    std::vector<std::string> rejected;
};

// Reads what WriteFieldCsv writes, and the same with LF line ends, without the mark or the
// header line, or with ',' as separator when the header says so.
CsvRead ReadFieldCsv(std::string_view text);
