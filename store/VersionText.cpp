// The text form of a document's causal state, one fact per line:
//   Q1                         the form's version
//   M <machine> <name>         a machine's name
//   V <machine> <counter>      the version vector
//   P <stamp> <text>           a password mark
//   F <field> <stamp>          the stamp of the value the table shows
//   C <field> <stamp> <text>   another value of the field (a conflict)
//   H <field> <stamp> <text>   an earlier value, newest first
//   I <stamp> <0|1>            the last import's change; 1 once undone
//   B <field> <text>           the text a field held before that import
//   X <field>                  a field whose text before it is not kept
// A stamp is <machine>:<counter>:<time>, the machine in hex (0: none). Texts and names escape
// '%', CR and LF as %25, %0D, %0A. Unknown line kinds are skipped.
#include "store/Versions.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

namespace versions {

namespace {

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::string_view code = text.substr(i + 1, 2);
        if (code == "25")
            out += '%';
        else if (code == "0D")
            out += '\r';
        else if (code == "0A")
            out += '\n';
        else
            return false;
        i += 2;
    }
    return true;
}

std::string Hex(std::uint64_t v) {
    char buf[17];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return std::string(buf, r.ptr);
}

std::string StampText(const Stamp& s) {
    return Hex(s.machine) + ":" + std::to_string(s.counter) + ":" + std::to_string(s.time);
}

template <typename T> bool Number(std::string_view text, T& value, int base = 10) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && !text.empty();
}

bool ParseStamp(std::string_view text, Stamp& s) {
    const std::size_t a = text.find(':');
    const std::size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (b == std::string_view::npos)
        return false;
    return Number(text.substr(0, a), s.machine, 16) &&
           Number(text.substr(a + 1, b - a - 1), s.counter) && Number(text.substr(b + 1), s.time) &&
           (s.machine != 0 || s.counter == 0);
}

// Splits "<a> <b> <rest>" into at most n words, the last taking the rest of the line.
std::vector<std::string_view> Words(std::string_view line, std::size_t n) {
    std::vector<std::string_view> words;
    while (words.size() + 1 < n) {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            break;
        words.push_back(line.substr(0, space));
        line.remove_prefix(space + 1);
    }
    words.push_back(line);
    return words;
}

struct Reader {
    std::size_t shown; // fields with a shown text, which the state already holds
    State& state;
    std::unordered_map<std::string_view, std::size_t> index;
    bool sawMark = false;

    bool Line(std::string_view line);
    bool FieldLine(char kind, const std::vector<std::string_view>& w);
    bool ImportLine(char kind, const std::vector<std::string_view>& w);
};

bool Reader::ImportLine(char kind, const std::vector<std::string_view>& w) {
    LastImport& last = state.lastImport;
    if (kind == 'I')
        return w.size() == 3 && ParseStamp(w[1], last.change) && (w[2] == "0" || w[2] == "1") &&
               (last.undone = w[2] == "1", true);
    Replaced r{0, {}, kind == 'B'};
    if (w.size() != (kind == 'B' ? 3u : 2u) || (kind == 'B' && !Unescape(w[2], r.text)))
        return false;
    const auto it = index.find(w[1]);
    if (it == index.end() || it->second >= shown)
        return true; // a field this build does not know
    r.field = it->second;
    last.replaced.push_back(std::move(r));
    return true;
}

bool Reader::FieldLine(char kind, const std::vector<std::string_view>& w) {
    Value v;
    if (w.size() != (kind == 'F' ? 3u : 4u) || !ParseStamp(w[2], v.stamp) ||
        (kind != 'F' && !Unescape(w[3], v.text)))
        return false;
    const auto it = index.find(w[1]);
    if (it == index.end() || it->second >= shown)
        return true; // a field this build does not know
    const std::size_t f = it->second;
    if (kind == 'F')
        state.fields[f].values[0].stamp = v.stamp;
    else if (kind == 'C')
        state.fields[f].values.push_back(std::move(v));
    else if (state.history[f].size() < kHistoryLength)
        state.history[f].push_back(std::move(v));
    return true;
}

bool Reader::Line(std::string_view line) {
    if (line.empty())
        return true;
    const char kind = line[0];
    const std::vector<std::string_view> w = Words(line, kind == 'C' || kind == 'H' ? 4 : 3);
    if (w[0].size() != 1)
        return false;
    if (kind == 'F' || kind == 'C' || kind == 'H')
        return FieldLine(kind, w);
    if (kind == 'I' || kind == 'B' || kind == 'X')
        return ImportLine(kind, w);
    MachineId machine = 0;
    std::uint64_t counter = 0;
    std::string name;
    Value v;
    switch (kind) {
    case 'M':
        return w.size() == 3 && Number(w[1], machine, 16) && Unescape(w[2], name) &&
               (state.machines[machine] = name, true);
    case 'V':
        return w.size() == 3 && Number(w[1], machine, 16) && Number(w[2], counter) &&
               (state.vector[machine] = counter, true);
    case 'P':
        if (w.size() != 3 || !ParseStamp(w[1], v.stamp) || !Unescape(w[2], v.text))
            return false;
        if (!sawMark)
            state.protection.values.clear();
        sawMark = true;
        state.protection.values.push_back(std::move(v));
        return true;
    default:
        return true; // a later kind of fact
    }
}

} // namespace

std::string Encode(const State& state, const std::vector<std::string>& names) {
    std::string out = "Q1\n";
    for (const auto& [machine, name] : state.machines)
        out += "M " + Hex(machine) + " " + Escape(name) + "\n";
    for (const auto& [machine, counter] : state.vector)
        out += "V " + Hex(machine) + " " + std::to_string(counter) + "\n";
    for (const Value& v : state.protection.values)
        out += "P " + StampText(v.stamp) + " " + Escape(v.text) + "\n";
    for (std::size_t f = 0; f < state.fields.size() && f < names.size(); ++f) {
        const std::vector<Value>& values = state.fields[f].values;
        if (!values.empty() && values[0].stamp.Stamped())
            out += "F " + names[f] + " " + StampText(values[0].stamp) + "\n";
        for (std::size_t k = 1; k < values.size(); ++k)
            out += "C " + names[f] + " " + StampText(values[k].stamp) + " " +
                   Escape(values[k].text) + "\n";
        for (const Value& v : state.history[f])
            out += "H " + names[f] + " " + StampText(v.stamp) + " " + Escape(v.text) + "\n";
    }
    if (!state.lastImport.Held())
        return out;
    out += "I " + StampText(state.lastImport.change) + (state.lastImport.undone ? " 1\n" : " 0\n");
    for (const Replaced& r : state.lastImport.replaced) {
        if (r.field < names.size())
            out += (r.known ? "B " : "X ") + names[r.field] +
                   (r.known ? " " + Escape(r.text) : "") + "\n";
    }
    return out;
}

bool Decode(const std::string& text, const std::vector<std::string>& names,
            std::vector<std::string> shown, const std::string& mark, State& state) {
    auto legacy = [&] {
        state = Unstamped(std::move(shown), mark);
        state.fields.resize(names.size(), Register{{Value{}}});
        state.history.resize(names.size());
    };
    if (text.empty()) {
        legacy(); // a document from before stamps
        return true;
    }
    state = State(names.size()); // a field the text does not name: one no writer knew
    const std::size_t held = std::min(names.size(), shown.size());
    for (std::size_t i = 0; i < held; ++i)
        state.fields[i].values[0].text = std::move(shown[i]);
    Reader reader{held, state, {}};
    for (std::size_t i = 0; i < names.size(); ++i)
        reader.index.emplace(names[i], i);
    std::string_view rest(text);
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const bool ok = first ? line == "Q1" : reader.Line(line);
        first = false;
        if (!ok) { // the shown texts back from the state, which an F line leaves them in
            for (std::size_t i = 0; i < held; ++i)
                shown[i] = std::move(state.fields[i].values[0].text);
            legacy();
            return false;
        }
    }
    return true;
}

} // namespace versions
