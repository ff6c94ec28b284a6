#include "platform/Pif.h"

#include "platform/FileServices.h"
#include "platform/file/FileReader.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// The section chain starts after the basic block; each heading is a zero-padded name of 16
// bytes, the offset of the next heading (0xFFFF ends the chain), and the offset and length of
// the section's data, all little-endian 16-bit.
constexpr std::size_t kFirstHeading = 0x171;
constexpr std::size_t kNameWidth = 16;
constexpr std::size_t kHeadingSize = kNameWidth + 6;
constexpr std::uint16_t kChainEnd = 0xFFFF;
constexpr std::string_view kFirstSectionName = "MICROSOFT PIFEX";
// A chain longer than this is taken as damaged.
constexpr int kMaxSections = 64;

std::uint16_t Get16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void Put16(std::string& bytes, std::size_t at, std::size_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

std::string_view HeadingName(std::string_view bytes, std::size_t at) {
    std::string_view name = bytes.substr(at, kNameWidth);
    return name.substr(0, name.find('\0'));
}

struct Heading {
    std::size_t at;
    std::uint16_t next;
    std::uint16_t dataOffset;
    std::uint16_t dataLength;
};

// The headings of the chain in order; nullopt when the file has no sound chain.
std::optional<std::vector<Heading>> Chain(std::string_view bytes) {
    if (bytes.size() < kFirstHeading + kHeadingSize ||
        HeadingName(bytes, kFirstHeading) != kFirstSectionName) {
        return std::nullopt;
    }
    std::vector<Heading> chain;
    std::size_t at = kFirstHeading;
    for (;;) {
        if (at + kHeadingSize > bytes.size() || chain.size() == kMaxSections) {
            return std::nullopt;
        }
        const Heading h{at, Get16(bytes, at + kNameWidth), Get16(bytes, at + kNameWidth + 2),
                        Get16(bytes, at + kNameWidth + 4)};
        chain.push_back(h);
        if (h.next == kChainEnd) {
            return chain;
        }
        if (h.next <= at) { // headings follow each other; anything else could loop
            return std::nullopt;
        }
        at = h.next;
    }
}

bool Fits(const std::string& value, PifField field) {
    return value.size() < field.width;
}

void PutField(std::string& bytes, PifField field, const std::string& value) {
    std::size_t length = std::min(value.size(), field.width - 1);
    // Never leave half of a UTF-8 character behind.
    while (length < value.size() && length > 0 && (value[length] & 0xC0) == 0x80) {
        --length;
    }
    bytes.replace(field.offset, length + 1, value.substr(0, length) + '\0');
}

std::optional<std::string> GetField(std::string_view bytes, PifField field) {
    const std::string_view area = bytes.substr(field.offset, field.width);
    const std::size_t end = area.find('\0');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(area.substr(0, end));
}

std::optional<PifFields> ParseLongSection(std::string_view bytes, const Heading& h) {
    if (std::size_t{h.dataOffset} + h.dataLength > bytes.size()) {
        return std::nullopt;
    }
    std::string_view data = bytes.substr(h.dataOffset, h.dataLength);
    std::string values[4];
    for (std::string& value : values) {
        const std::size_t end = data.find('\0');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        value = data.substr(0, end);
        data.remove_prefix(end + 1);
    }
    return PifFields{values[0], values[1], values[2], values[3]};
}

bool ReadFile(const std::string& path, std::string& bytes) {
    WholeFile file = ReadWholeFile(path, 1 << 20);
    if (!file) {
        return false;
    }
    bytes = std::move(file.bytes);
    return true;
}

} // namespace

bool PutPifFields(std::string& bytes, const PifFields& fields) {
    const std::pair<PifField, const std::string&> writes[] = {
        {kPifTitle, fields.title},
        {kPifProgram, fields.program},
        {kPifStartDirectory, fields.startDirectory},
        {kPif386Parameters, fields.parameters}};
    if (bytes.size() < kPif386Parameters.offset + kPif386Parameters.width) {
        return false;
    }
    std::string out = bytes;
    // An earlier long section goes; it always is the last one, so the file ends before it.
    if (const auto chain = Chain(out)) {
        for (std::size_t i = 1; i < chain->size(); ++i) {
            const Heading& h = (*chain)[i];
            if (HeadingName(out, h.at) == kPifLongSection && h.next == kChainEnd) {
                Put16(out, (*chain)[i - 1].at + kNameWidth, kChainEnd);
                out.resize(h.at);
                break;
            }
        }
    }
    bool allFit = true;
    for (const auto& [field, value] : writes) {
        allFit = allFit && Fits(value, field);
        PutField(out, field, value);
    }
    if (!allFit) {
        const auto chain = Chain(out);
        std::string data;
        for (const auto& [field, value] : writes) {
            data += value + '\0';
        }
        const std::size_t at = out.size();
        if (!chain || at + kHeadingSize + data.size() > kChainEnd) {
            return false;
        }
        std::string heading(kHeadingSize, '\0');
        heading.replace(0, kPifLongSection.size(), kPifLongSection);
        Put16(heading, kNameWidth, kChainEnd);
        Put16(heading, kNameWidth + 2, at + kHeadingSize);
        Put16(heading, kNameWidth + 4, data.size());
        Put16(out, chain->back().at + kNameWidth, at);
        out += heading + data;
    }
    // A start must read what was written: a long section left elsewhere in the chain (a
    // planted template) would name another program.
    if (ParsePifFields(out) != fields) {
        return false;
    }
    bytes = std::move(out);
    return true;
}

std::optional<PifFields> ParsePifFields(std::string_view bytes) {
    if (bytes.size() < kPif386Parameters.offset + kPif386Parameters.width) {
        return std::nullopt;
    }
    if (const auto chain = Chain(bytes)) {
        for (const Heading& h : *chain) {
            if (HeadingName(bytes, h.at) == kPifLongSection) {
                return ParseLongSection(bytes, h);
            }
        }
    }
    auto title = GetField(bytes, kPifTitle);
    auto program = GetField(bytes, kPifProgram);
    auto dir = GetField(bytes, kPifStartDirectory);
    auto params = GetField(bytes, kPif386Parameters);
    if (!title || !program || !dir || !params) {
        return std::nullopt;
    }
    // The template pads the title with blanks, as PIF editors do.
    while (!title->empty() && title->back() == ' ') {
        title->pop_back();
    }
    return PifFields{*title, *program, *dir, *params};
}

std::optional<PifFields> ReadPifFields(const std::string& pifPath) {
    std::string bytes;
    if (!ReadFile(pifPath, bytes)) {
        return std::nullopt;
    }
    return ParsePifFields(bytes);
}

bool WritePifFields(const std::string& pifPath, const PifFields& fields) {
    std::string bytes;
    return ReadFile(pifPath, bytes) && PutPifFields(bytes, fields) &&
           AtomicWriteFile(pifPath, bytes);
}
