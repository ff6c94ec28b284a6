#pragma once

#include <string>

// Keeps a second program from a user's document for a whole session. The lock sits on the
// file the document's name points to; a save moves it to the new file before that file
// replaces the document, and a save is refused once the name points elsewhere (the document
// deleted or replaced meanwhile), so two programs never both write one document.
class DocumentLock {
public:
    enum class Result { Held, InUse, Missing };

    DocumentLock() = default;
    ~DocumentLock() { Release(); }
    DocumentLock(const DocumentLock&) = delete;
    DocumentLock& operator=(const DocumentLock&) = delete;

    // Locks the document at path; with create, a missing one is made empty (0600, never
    // truncating one that appears meanwhile).
    Result Acquire(const std::string& path, bool create);
    void Release();
    bool Held() const { return m_fd >= 0; }
    // The last Acquire made the document.
    bool Created() const { return m_created; }
    // Whether the path still names the locked file.
    bool NamesLockedFile() const;
    // Before the new file open as fd replaces the document: locks it too. False (nothing
    // changed) when the path no longer names the locked file.
    bool Prepare(int fd);
    // The new file replaced the document: the lock is now the one on it.
    void Commit();
    // The new file did not replace the document.
    void Abandon();

private:
    std::string m_path;
    int m_fd = -1;
    int m_next = -1;
    bool m_created = false;
};
