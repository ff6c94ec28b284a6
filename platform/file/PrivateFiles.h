#pragma once

#include <string>
#include <string_view>

// Files in folders that others may write (the temporary directory, a backup target): nothing
// is created under a name someone else could have planted, nothing is followed through a link,
// and nothing is opened that could block.

// A new directory parent + prefix + six random characters, mode 0700 (mkdtemp). Its path with a
// trailing '/'; "" when it cannot be made (errno set).
std::string MakePrivateDirectoryIn(const std::string& parent, const std::string& prefix);

// Creates a new file exclusively, never through a link, mode 0600, and returns its descriptor;
// -1 (errno set) when the name is taken or the file cannot be made.
int CreatePrivateFile(const std::string& path);

// A new private file holding bytes; false (nothing left behind that we made) on any failure.
bool WritePrivateFile(const std::string& path, std::string_view bytes);

// Removes the entries of a directory made by MakePrivateDirectoryIn (links removed, never
// followed) and the directory itself.
void RemovePrivateDirectory(const std::string& dir);

// Opens a regular file without blocking on a FIFO or device and without becoming its
// controlling terminal; -1 with errno EINVAL when the path names no regular file (ENOENT
// when it is missing). The descriptor is blocking again once returned.
int OpenRegularFile(const std::string& path, int flags);

// Takes every permission of group and others from the user's own regular file at path (a link
// is not followed); false when there is none or it cannot be changed.
bool KeepToOwner(const std::string& path);
