#pragma once

#include <QFileDialog>

#include <functional>
#include <string>

// Makes the directory of path current for its lifetime (path is taken as a directory) and
// then restores the previous one, or restore when given.
class TChangeToPath {
public:
    TChangeToPath(const std::string* restore, const std::string& path);
    ~TChangeToPath();
    TChangeToPath(const TChangeToPath&) = delete;
    TChangeToPath& operator=(const TChangeToPath&) = delete;

private:
    std::string m_saved;
};

// The directory chooser: starts in a directory and offers directories only.
class TDirectoryDialog : public QFileDialog {
public:
    TDirectoryDialog(QWidget* parent, const std::string& start);
};

// Lets the user pick a directory starting at path; true with the directory (trailing '/') in
// path, false with path unchanged. An empty path is refused without showing anything. The
// current directory is the same afterwards.
bool ChooseDirectory(QWidget* parent, std::string& path);

// Runs the file-open (open) or file-save dialog on path; true with the chosen path in it.
// filter is "Name|*.ext;*.x|Name2|*.y|". A first run that fails on the initial name is
// repeated once with an empty name.
bool GetFileName(QWidget* parent, std::string& path, bool open, const std::string& filter,
                 const std::string& defaultExtension = "", const std::string& initialDir = "");

// Test seams: what the dialogs return, without showing them.
using DirectoryChooser = std::function<std::string(QWidget* parent, const std::string& start)>;
DirectoryChooser SetDirectoryChooser(DirectoryChooser chooser);

struct FileDialogRun {
    bool ok = false;
    bool error = false; // the dialog could not run with the name it was given
    std::string path;
};
using FileDialogRunner = std::function<FileDialogRun(
    QWidget* parent, bool open, const std::string& name, const QString& filter,
    const std::string& defaultExtension, const std::string& initialDir)>;
FileDialogRunner SetFileDialogRunner(FileDialogRunner runner);

// "Name|*.a;*.b|Name2|*.c|" as a Qt name filter list ("Name (*.a *.b);;Name2 (*.c)"); "*.*"
// becomes "*", which matches every file, also one without a dot.
QString QtFileFilter(const std::string& filter);
// Sets a QtFileFilter list on a dialog that shows each description alone ("Name", "Name2").
void ApplyFileFilter(QFileDialog& dialog, const QString& qtFilter);
