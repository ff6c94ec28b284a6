#pragma once

#include <string>
#include <vector>

// A list of text lines.
class TStrings {
public:
    void Clear() { m_lines.clear(); }
    void Add(const std::string& line) { m_lines.push_back(line); }
    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::string& operator[](int i) const { return m_lines.at(i); }
    // Every line followed by CR LF.
    std::string Text() const;

private:
    std::vector<std::string> m_lines;
};
