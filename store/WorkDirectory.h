#pragma once

#include <string>

// The data set manager's own directory for one session's working files, made new with mode
// 0700 in the temporary directory (or the current one when that cannot hold it), so no other
// user can see, claim or link any name inside. While a session uses it, a marker file inside
// is locked; a later start removes this user's directories whose marker is no longer locked,
// the leftovers of a crash.
class WorkDirectory {
public:
    WorkDirectory() = default;
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    // Makes a new directory, marked in use; false when none can be made.
    bool Make();
    // With a trailing '/'.
    const std::string& Path() const { return m_path; }
    // Creates a new empty file at path (inside this directory): exclusively, refusing a link,
    // mode 0600. False when the name is taken.
    bool CreateFile(const std::string& path) const;
    // Removes every file in the directory and the directory itself.
    void Remove();
    // Marks the directory as kept for the user: no later start removes it (Remove still does).
    void Keep();

    // Removes the directories in parent that earlier runs of this user left behind: named with
    // the program's prefix, owned by this user, with a marker nobody holds. Returns how many.
    static int RemoveStale(const std::string& parent);

private:
    std::string m_path;
    int m_marker = -1;
};
