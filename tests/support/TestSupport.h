#pragma once

#include "platform/Messages.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

// A temporary directory, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing '/'.
    const std::string& path() const { return m_path; }
    // path() + name
    std::string file(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Points the program and the temporary folder elsewhere while it lives, and the state folder to
// a new folder of its own; puts back the previous ones at the end.
class ScopedSystemDirs {
public:
    ScopedSystemDirs(const std::string& program, const std::string& temp);
    ~ScopedSystemDirs();
    ScopedSystemDirs(const ScopedSystemDirs&) = delete;
    ScopedSystemDirs& operator=(const ScopedSystemDirs&) = delete;

private:
    std::string m_program;
    std::string m_temp;
    std::string m_state;
    TempDir m_stateDir;
};

// Records every message box shown while it lives and answers them from a script; an empty
// script answers with the first button. Restores the previous handler at the end.
class ScriptedMessages {
public:
    explicit ScriptedMessages(std::deque<int> answers = {});
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    void answer(int result) { m_answers.push_back(result); }
    const std::vector<MessageRequest>& shown() const { return m_shown; }
    std::vector<std::string> texts() const;
    void clear() { m_shown.clear(); }

private:
    std::deque<int> m_answers;
    std::vector<MessageRequest> m_shown;
    MessageHandler m_previous;
};

// File helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The standard output of a shell command (a real reader of what a test wrote: pdftotext, ...).
std::string CommandOutput(const std::string& command);
// The folder of the pinned sample files (tests/data), with a trailing '/'.
std::string TestDataDir();

// The user id of a second local user ("quillory-test", made with useradd when missing) whose
// files a test may plant; nullopt where that cannot be done (not root, no useradd).
std::optional<uid_t> SecondUser();
