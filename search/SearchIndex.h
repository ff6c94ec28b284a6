#pragma once

#include "search/TextFold.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One searchable field: where it is, what the form calls it, what it holds.
struct SearchEntry {
    int category = 0;
    int id = 0;
    std::string label; // UTF-8
    std::string value; // UTF-8
    bool secret = false;
};

// A byte range of an entry's value.
struct TextRange {
    size_t begin = 0;
    size_t end = 0;
    bool operator==(const TextRange&) const = default;
};

struct SearchHit {
    size_t entry = 0;
    // Where the query's words lie in the value, in order, none overlapping; empty for a secret
    // field (its value is not shown) and for a field matched by its label alone.
    std::vector<TextRange> marks;
};

// Every field folded once, so a query costs a scan of the folded text and no folding of it.
// A field matches when each word of the query is found in its value or in its label (see
// TextFold.h for what counts as the same). Empty values are never found.
class SearchIndex {
public:
    explicit SearchIndex(std::vector<SearchEntry> entries);

    // Entries as indexed: values in composed form (the marks refer to these bytes).
    const std::vector<SearchEntry>& Entries() const { return m_entries; }

    // Matches in entry order, at most limit of them; secret fields only with includeSecret.
    // A query of no words finds nothing.
    std::vector<SearchHit> Find(std::string_view query, bool includeSecret,
                                size_t limit = 500) const;

private:
    struct Word {
        std::string plain;
        std::string german;
        bool searchGerman; // the german spelling can match where the plain one cannot
    };
    struct Folded {
        FoldedText value;
        FoldedText label;
    };
    std::vector<Word> QueryWords(std::string_view query) const;
    static bool Contains(const FoldedText& text, const Word& word);
    static void Mark(const Folded& folded, const std::string& value, const Word& word,
                     std::vector<TextRange>& marks);

    std::vector<SearchEntry> m_entries;
    std::vector<Folded> m_folded;
    mutable TextFolder m_folder;
};

// The part of value a result line shows: about width bytes around the first mark (from the
// start when there is none), on character boundaries.
TextRange ExcerptOf(std::string_view value, const std::vector<TextRange>& marks,
                    size_t width = 120);
