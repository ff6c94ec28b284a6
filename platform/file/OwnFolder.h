#pragma once

#include <string>
#include <vector>

// A folder path entered one folder at a time (openat, O_NOFOLLOW), for folders in places others
// may reach: a backup target on a shared disk or under /tmp. A missing folder is made with mode
// 0700. Every folder that was there already must belong to the user or to root and be writable
// by nobody else unless sticky (where nobody can replace what is ours); a link is followed only
// when the user or root made it. So nobody else can move what is written below it elsewhere.
class OwnFolder {
public:
    OwnFolder() = default;
    ~OwnFolder();
    OwnFolder(OwnFolder&& other) noexcept;
    OwnFolder& operator=(OwnFolder&& other) noexcept;
    OwnFolder(const OwnFolder&) = delete;
    OwnFolder& operator=(const OwnFolder&) = delete;

    // Enters path: an absolute one from the root, a relative one from the current folder.
    static OwnFolder Enter(const std::string& path);
    // Enters a path below this folder the same way.
    OwnFolder EnterBelow(const std::string& relative) const;

    explicit operator bool() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // After a failure: the folder (or link) that is not the user's, "" when the failure was
    // another one (errnum() then says which).
    const std::string& refused() const { return m_refused; }
    int errnum() const { return m_errno; }

    // Removes this folder's temporaries (AtomicFile's) of the files named, regular files of the
    // user's only: what a run cut off (a crash, a kill) left. The number removed.
    int RemoveTemporariesOf(const std::vector<std::string>& fileNames) const;

private:
    static OwnFolder Walk(int start, std::string shown, const std::string& path);

    int m_fd = -1;
    std::string m_refused;
    int m_errno = 0;
};
