#include "search/SearchIndex.h"

#include <algorithm>

namespace {

// Marks shown per word and field: enough for the excerpt a result shows.
constexpr size_t kMarksPerWord = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        size_t j = i;
        while (j < text.size() && !IsBlank(text[j]))
            ++j;
        if (j > i)
            words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

bool HasUmlautSpelling(const std::string& word) {
    return word.find("ae") != std::string::npos || word.find("oe") != std::string::npos ||
           word.find("ue") != std::string::npos;
}

// Every place of needle in folded, as source ranges.
void MarkIn(const std::string& folded, const std::vector<uint32_t>& origin,
            const std::string& value, const std::string& needle, std::vector<TextRange>& marks) {
    size_t found = 0;
    for (size_t pos = folded.find(needle); pos != std::string::npos && found < kMarksPerWord;
         pos = folded.find(needle, pos + needle.size()), ++found) {
        const size_t begin = origin[pos];
        const size_t last = origin[pos + needle.size() - 1];
        marks.push_back({begin, last + Utf8Length(static_cast<unsigned char>(value[last]))});
    }
}

// Sorted, overlapping and touching ranges joined.
std::vector<TextRange> Joined(std::vector<TextRange> marks) {
    std::sort(marks.begin(), marks.end(),
              [](const TextRange& a, const TextRange& b) { return a.begin < b.begin; });
    std::vector<TextRange> joined;
    for (const TextRange& m : marks) {
        if (!joined.empty() && m.begin <= joined.back().end)
            joined.back().end = std::max(joined.back().end, m.end);
        else
            joined.push_back(m);
    }
    return joined;
}

} // namespace

SearchIndex::SearchIndex(std::vector<SearchEntry> entries) : m_entries(std::move(entries)) {
    m_folded.reserve(m_entries.size());
    for (SearchEntry& e : m_entries) {
        e.value = ComposedText(e.value);
        e.label = ComposedText(e.label);
        m_folded.push_back({m_folder.Fold(e.value), m_folder.Fold(e.label)});
    }
}

std::vector<SearchIndex::Word> SearchIndex::QueryWords(std::string_view query) const {
    const std::string composed = ComposedText(query);
    std::vector<std::string> plain = SplitWords(m_folder.FoldPlain(composed));
    std::vector<std::string> german = SplitWords(m_folder.FoldGerman(composed));
    if (german.size() != plain.size())
        german = plain;
    std::vector<Word> words;
    for (size_t k = 0; k < plain.size(); ++k) {
        const bool searchGerman = german[k] != plain[k] || HasUmlautSpelling(german[k]);
        words.push_back({std::move(plain[k]), std::move(german[k]), searchGerman});
    }
    return words;
}

bool SearchIndex::Contains(const FoldedText& text, const Word& word) {
    return text.plain.find(word.plain) != std::string::npos ||
           (word.searchGerman && text.german.find(word.german) != std::string::npos);
}

void SearchIndex::Mark(const Folded& folded, const std::string& value, const Word& word,
                       std::vector<TextRange>& marks) {
    MarkIn(folded.value.plain, folded.value.plainOrigin, value, word.plain, marks);
    if (word.searchGerman)
        MarkIn(folded.value.german, folded.value.germanOrigin, value, word.german, marks);
}

std::vector<SearchHit> SearchIndex::Find(std::string_view query, bool includeSecret,
                                         size_t limit) const {
    std::vector<SearchHit> hits;
    const std::vector<Word> words = QueryWords(query);
    if (words.empty())
        return hits;
    for (size_t i = 0; i < m_entries.size() && hits.size() < limit; ++i) {
        const SearchEntry& entry = m_entries[i];
        if (entry.value.empty() || (entry.secret && !includeSecret))
            continue;
        const Folded& folded = m_folded[i];
        const bool all = std::all_of(words.begin(), words.end(), [&](const Word& w) {
            return Contains(folded.value, w) || Contains(folded.label, w);
        });
        if (!all)
            continue;
        SearchHit hit{i, {}};
        if (!entry.secret) {
            for (const Word& w : words)
                Mark(folded, entry.value, w, hit.marks);
            hit.marks = Joined(std::move(hit.marks));
        }
        hits.push_back(std::move(hit));
    }
    return hits;
}

TextRange ExcerptOf(std::string_view value, const std::vector<TextRange>& marks, size_t width) {
    auto boundary = [&](size_t at) {
        while (at > 0 && at < value.size() &&
               (static_cast<unsigned char>(value[at]) & 0xC0) == 0x80)
            --at;
        return std::min(at, value.size());
    };
    const size_t first = marks.empty() ? 0 : marks.front().begin;
    // A little of what goes before the first mark, the rest after it.
    const size_t lead = std::min(first, width / 4);
    const size_t begin = boundary(first - lead);
    return {begin, boundary(std::min(value.size(), begin + width))};
}
