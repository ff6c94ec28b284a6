#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Program-information files (PIF): the four fields a start reads, at the offsets of the
// standard layout, and a section of our own in the file's section chain that carries values
// too long for those fields. Other readers skip a section they do not know.

// Offset and width of a field; the width includes the terminating zero.
struct PifField {
    std::size_t offset;
    std::size_t width;
};
inline constexpr PifField kPifTitle{2, 30};
inline constexpr PifField kPifProgram{36, 63};
inline constexpr PifField kPifStartDirectory{101, 64};
inline constexpr PifField kPif386Parameters{453, 64};
// Size of the standard template: basic block plus the 386-enhanced and 286 sections.
inline constexpr std::size_t kPifTemplateSize = 545;
// Name of the section with the full values.
inline constexpr std::string_view kPifLongSection = "QUILLORY LONG";

struct PifFields {
    std::string title;
    std::string program;
    std::string startDirectory;
    std::string parameters;

    friend bool operator==(const PifFields&, const PifFields&) = default;
};

// Writes the fields into the bytes of a PIF, each with its terminating zero. A value that does
// not fit is cut to its field (at a character boundary) and all four values are then carried
// in full in the long section, appended to the section chain; a long section of an earlier
// write is removed first. Every other byte stays. False, with the bytes unchanged, when the
// file is too short for the fields, a value does not fit and the file has no section chain, or
// a start would read other values (a long section elsewhere in the chain).
bool PutPifFields(std::string& bytes, const PifFields& fields);

// The fields as a start reads them: from the long section when there is one, else from the
// standard fields (trailing blanks of the title removed). nullopt for a file too short, a
// field without its terminating zero, or a damaged long section.
std::optional<PifFields> ParsePifFields(std::string_view bytes);

std::optional<PifFields> ReadPifFields(const std::string& pifPath);
// Reads the PIF whole, puts the fields and writes it back in one replacement.
bool WritePifFields(const std::string& pifPath, const PifFields& fields);
