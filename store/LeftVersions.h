#pragma once

#include "store/DocumentContainer.h"

#include <string>
#include <vector>

// Versions of a document left outside it: conflict copies that sync engines put beside it, and
// working files of a session whose save failed.

// Whether name (a file name in the document's folder) is a sync engine's conflict copy of the
// document named documentName:
//   Syncthing          <stem>.sync-conflict-<date>-<time>-<device><ext>
//   Nextcloud/ownCloud <stem> (conflicted copy <date> <time>)<ext>, also "(Conflict ...)" and
//                      the German clients' "(Konflikt...)" / "(... in Konflikt stehende Kopie ...)"
//   Dropbox            <stem> (<device>'s conflicted copy <date>)<ext>
bool IsConflictCopyName(const std::string& documentName, const std::string& name);
// The conflict copies beside the document, full paths, sorted.
std::vector<std::string> FindConflictCopies(const std::string& document);

// Working files kept after a failed save.
struct StrandedWork {
    std::string directory; // with a trailing '/'
    DocumentFiles files;   // empty from a table the run that left them did not have on
};

// Marks the kept working directory as the document's stranded work. The note stays locked
// while this run lives (close the returned descriptor to let it go), so only work whose run
// has ended is taken in. -1 when the note could not be written.
int MarkStrandedWork(const std::string& directory, const std::string& document,
                     const DocumentFiles& files);
// This user's stranded work of the document in parent, whose runs have ended.
std::vector<StrandedWork> FindStrandedWork(const std::string& parent, const std::string& document);
// Removes a stranded working directory once its work is in the document.
void RemoveStrandedWork(const StrandedWork& work);
