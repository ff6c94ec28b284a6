#pragma once

#include <string>

// Keeps a second program from a user's document for a whole session. The lock sits on the
// file the document's name points to; a save moves it to the new file before that file
// replaces the document, and a save is refused once the name points elsewhere (the document
// deleted or replaced meanwhile), so two programs never both write one document. From the
// check of the name to the rename (Prepare to Commit or Abandon), and while a document is
// opened or created, the program holds a lock on the document's folder, so no other program
// on this machine can move a file to the name in between.
class DocumentLock {
public:
    enum class Result {
        Held,
        InUse,      // another program holds it
        Missing,    // no document (and none made)
        NotRegular, // a FIFO, device, socket or folder at the path
        Failed,     // a lock could not be taken for another reason
    };

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
    // Before the new file open as fd replaces the document: locks it and the folder. False
    // (nothing changed) when the path no longer names the locked file.
    bool Prepare(int fd);
    // The new file replaced the document: the lock is now the one on it.
    void Commit();
    // The new file did not replace the document.
    void Abandon();

private:
    Result AcquireLocked(bool create);
    bool LockFolder();
    void UnlockFolder();

    std::string m_path;
    int m_folder = -1;
    int m_fd = -1;
    int m_next = -1;
    bool m_created = false;
};
