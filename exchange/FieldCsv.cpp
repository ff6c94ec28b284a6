#include "exchange/FieldCsv.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool NeedsQuotes(std::string_view v, char separator) {
    if (v.empty())
        return false;
    return v.find_first_of(std::string{'"', '\r', '\n', separator}) != std::string_view::npos ||
           v.front() == ' ' || v.back() == ' ' || v.front() == '\t' || v.back() == '\t';
}

constexpr std::string_view kFormulaStarts = "=+-@'";

// Whether a spreadsheet would take the value for a formula: '=' and '@' always, '+' and '-'
// when more than a number or a telephone number follows (a function needs letters).
bool LooksLikeFormula(std::string_view v) {
    if (v.empty())
        return false;
    if (v.front() == '=' || v.front() == '@')
        return true;
    if (v.front() == '\'')
        return v.size() > 1 && kFormulaStarts.find(v[1]) != std::string_view::npos;
    return (v.front() == '+' || v.front() == '-') &&
           v.find_first_not_of("0123456789 ./()-+,", 1) != std::string_view::npos;
}

void PutValue(std::string& out, std::string_view v) {
    // An apostrophe makes it text; reading takes it off again.
    std::string guarded;
    if (LooksLikeFormula(v)) {
        guarded = "'" + std::string(v);
        v = guarded;
    }
    if (!NeedsQuotes(v, ';')) {
        out += v;
        return;
    }
    out += '"';
    for (char c : v) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// One record from pos: its columns; pos moves past its line end. Quoted columns keep their
// line breaks as written.
std::vector<std::string> NextRecord(std::string_view t, std::size_t& pos, char sep, bool& broken) {
    std::vector<std::string> cols(1);
    bool quoted = false;
    while (pos < t.size()) {
        const char c = t[pos++];
        if (quoted) {
            if (c != '"')
                cols.back() += c;
            else if (pos < t.size() && t[pos] == '"')
                cols.back() += t[pos++];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == sep) {
            cols.emplace_back();
        } else if (c == '\n') {
            break;
        } else if (c == '\r') {
            if (pos < t.size() && t[pos] == '\n')
                ++pos;
            break;
        } else {
            cols.back() += c;
        }
    }
    broken = quoted;
    return cols;
}

std::string Joined(const std::vector<std::string>& cols, char sep) {
    std::string out;
    for (const std::string& c : cols)
        out += (out.empty() ? "" : std::string(1, sep)) + c;
    return out;
}

} // namespace

std::string WriteFieldCsv(const std::vector<CsvRow>& rows) {
    std::string out(kBom);
    out += "Formular;Feld;Wert\r\n";
    for (const CsvRow& r : rows) {
        PutValue(out, r.form);
        out += ';';
        PutValue(out, r.field);
        out += ';';
        PutValue(out, r.value);
        out += "\r\n";
    }
    return out;
}

CsvRead ReadFieldCsv(std::string_view text) {
    if (text.starts_with(kBom))
        text.remove_prefix(kBom.size());
    const char sep = text.starts_with("Formular,Feld,Wert") ? ',' : ';';
    CsvRead result;
    std::size_t pos = 0;
    for (int line = 1; pos < text.size(); ++line) {
        bool broken = false;
        const std::size_t start = pos;
        std::vector<std::string> cols = NextRecord(text, pos, sep, broken);
        if (line == 1 && cols == std::vector<std::string>{"Formular", "Feld", "Wert"})
            continue;
        if (cols.size() == 1 && cols[0].empty() && !broken)
            continue;
        if (cols.size() != 3 || broken) {
            result.rejected.push_back(
                "Zeile " + std::to_string(line) + ": " +
                (broken ? std::string(text.substr(start)) : Joined(cols, sep)));
            continue;
        }
        for (std::string& c : cols)
            if (c.size() > 1 && c.front() == '\'' && kFormulaStarts.find(c[1]) != std::string::npos)
                c.erase(0, 1);
        result.rows.push_back({std::move(cols[0]), std::move(cols[1]), std::move(cols[2])});
    }
    return result;
}
