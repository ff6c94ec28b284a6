#include "store/TStrings.h"

void TMemoryStream::Write(const std::string& bytes) {
    if (m_pos + bytes.size() > m_bytes.size())
        m_bytes.resize(m_pos + bytes.size());
    m_bytes.replace(m_pos, bytes.size(), bytes);
    m_pos += bytes.size();
}

std::string TMemoryStream::Read(size_t n) {
    std::string out = m_bytes.substr(m_pos, n);
    m_pos += out.size();
    return out;
}

std::string TStrings::Text() const {
    std::string text;
    for (const auto& line : m_lines) {
        text += line;
        text.append("\r\n", 2);
    }
    return text;
}

void TStrings::LoadFromStream(TMemoryStream& stream) {
    m_lines.clear();
    const std::string& bytes = stream.Bytes();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            m_lines.push_back(bytes.substr(start));
            break;
        }
        size_t end = lf > start && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        m_lines.push_back(bytes.substr(start, end - start));
        start = lf + 1;
    }
    stream.Seek(stream.Size());
}

void TStrings::SaveToStream(TMemoryStream& stream) const {
    stream.Assign(Text());
}
