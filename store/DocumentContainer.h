#pragma once

#include "catalogue/FieldCatalogue.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A user's document holds the files of his tables (kTables: three files each), one entry per
// slot in slot order, with nothing before, between or after them:
//
//   FileEntryHeader (24 bytes)  six little-endian int32: seconds/2, minutes, hours, day, month,
//                               year - 1980 of the file's last-write time (local time)
//   length N (4 bytes)          little-endian int32
//   N bytes                     the file, unchanged
//
// Six empty files make a document of 168 bytes. Documents written before a table was added hold
// fewer entries: every earlier document holds six, the first two tables.

struct FileEntryHeader {
    int32_t second2 = 0; // seconds divided by two
    int32_t minute = 0;
    int32_t hour = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0; // years since 1980
};

inline constexpr std::size_t kFileEntryHeaderSize = 24;
inline constexpr std::size_t kEntryPrefixSize = kFileEntryHeaderSize + 4;
inline constexpr std::size_t kDocumentSlotCount = kSlotCount;
// The slots every document holds, written before any later table existed.
inline constexpr std::size_t kEarliestSlotCount = 6;

using DocumentFiles = std::array<std::string, kDocumentSlotCount>;

// Packs the working files into the document: every slot, or the first six and whole later
// tables up to one whose first name is empty (an earlier run's files). The entries go to a new file
// beside the document (mode 0600), which is flushed and renamed over the document only when all are
// written; on any failure the previous document is left as it was and the new file removed.
// Failures are shown as "Fehler 0n beim Speichern!"; returns whether the document was written.
// beforeReplace, when given, sees the new file (flushed, still open) just before it replaces the
// document; when it returns false the document is left as it was, without a message.
bool PackDocument(const std::string& document, const DocumentFiles& files,
                  const std::function<bool(int newFile)>& beforeReplace = {});

// Removes the new files that packs of this document left beside it when they were killed
// before their rename. Only for the run that holds the document's lock.
void RemoveInterruptedPacks(const std::string& document);

// Unpacks the document into the working files (created 0600 or truncated, never through a
// symbolic link), each with the
// date and time of its entry, set after its bytes are written. Every length is checked against
// the bytes left in the document before it is used. Failures are shown as
// "Fehler 0n beim Öffnen!" and end the unpack at once; returns false after a failure. A length
// that is negative or exceeds the bytes left is a failure ("Fehler 02 beim Öffnen!").
// A document that ends exactly at an entry boundary leaves the remaining files empty and is not
// a failure here; entries, when given, receives how many it held (an earlier document's later
// tables are then made from their templates by the caller). Without report, failures are only
// returned (another machine's version, read quietly).
bool UnpackDocument(const std::string& document, const DocumentFiles& files,
                    std::size_t* entries = nullptr, bool report = true);
