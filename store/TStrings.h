#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A growable byte buffer with a position.
class TMemoryStream {
public:
    const std::string& Bytes() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }
    size_t Position() const { return m_pos; }
    void Seek(size_t pos) { m_pos = pos < m_bytes.size() ? pos : m_bytes.size(); }
    void Clear() {
        m_bytes.clear();
        m_pos = 0;
    }
    // Writes at the position (overwriting, then growing) and moves past the bytes.
    void Write(const std::string& bytes);
    // Up to n bytes from the position.
    std::string Read(size_t n);
    // Replaces the contents; position 0.
    void Assign(std::string bytes) {
        m_bytes = std::move(bytes);
        m_pos = 0;
    }

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

// A list of text lines.
class TStrings {
public:
    void Clear() { m_lines.clear(); }
    void Add(const std::string& line) { m_lines.push_back(line); }
    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::string& operator[](int i) const { return m_lines.at(i); }
    // Every line followed by CR LF.
    std::string Text() const;
    // Replaces the lines by the stream's whole contents split at CR LF or LF.
    void LoadFromStream(TMemoryStream& stream);
    // Replaces the stream's contents by Text(); position 0.
    void SaveToStream(TMemoryStream& stream) const;

private:
    std::vector<std::string> m_lines;
};
