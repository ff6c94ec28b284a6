#include "util/gui/DirectoryDialogs.h"

#include <filesystem>
#include <system_error>

namespace {

std::string Current() {
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    return ec ? std::string() : cwd;
}

void MakeCurrent(const std::string& dir) {
    if (dir.empty())
        return;
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
}

std::string DefaultChooser(QWidget* parent, const std::string& start) {
    TDirectoryDialog dialog(parent, start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

FileDialogRun DefaultFileRunner(QWidget* parent, bool open, const std::string& name,
                                const QString& filter, const std::string& defaultExtension,
                                const std::string& initialDir) {
    FileDialogRun run;
    const std::filesystem::path named(name);
    std::error_code ec; // a folder that cannot be searched counts as missing
    if (!name.empty() && named.has_parent_path() &&
        !std::filesystem::is_directory(named.parent_path(), ec)) {
        run.error = true;
        return run;
    }
    QFileDialog dialog(parent);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    ApplyFileFilter(dialog, filter);
    if (!defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (!initialDir.empty())
        dialog.setDirectory(QString::fromStdString(initialDir));
    if (!name.empty())
        dialog.selectFile(QString::fromStdString(name));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        run.ok = true;
        run.path = dialog.selectedFiles().front().toStdString();
    }
    return run;
}

DirectoryChooser& Chooser() {
    static DirectoryChooser chooser = DefaultChooser;
    return chooser;
}

FileDialogRunner& Runner() {
    static FileDialogRunner runner = DefaultFileRunner;
    return runner;
}

} // namespace

TChangeToPath::TChangeToPath(const std::string* restore, const std::string& path)
    : m_saved(restore ? *restore : Current()) {
    std::string dir = path;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    MakeCurrent(dir);
}

TChangeToPath::~TChangeToPath() {
    MakeCurrent(m_saved);
}

TDirectoryDialog::TDirectoryDialog(QWidget* parent, const std::string& start)
    : QFileDialog(parent) {
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    setDirectory(QString::fromStdString(start));
}

bool ChooseDirectory(QWidget* parent, std::string& path) {
    if (path.empty())
        return false;
    std::string chosen;
    {
        TChangeToPath change(nullptr, path);
        chosen = Chooser()(parent, path);
    }
    if (chosen.empty())
        return false;
    if (chosen.back() != '/')
        chosen += '/';
    path = chosen;
    return true;
}

bool GetFileName(QWidget* parent, std::string& path, bool open, const std::string& filter,
                 const std::string& defaultExtension, const std::string& initialDir) {
    const QString qtFilter = QtFileFilter(filter);
    FileDialogRun run = Runner()(parent, open, path, qtFilter, defaultExtension, initialDir);
    if (!run.ok && run.error)
        run = Runner()(parent, open, std::string(), qtFilter, defaultExtension, initialDir);
    if (!run.ok)
        return false;
    path = run.path;
    return true;
}

DirectoryChooser SetDirectoryChooser(DirectoryChooser chooser) {
    DirectoryChooser previous = Chooser();
    Chooser() = chooser ? std::move(chooser) : DirectoryChooser(DefaultChooser);
    return previous;
}

FileDialogRunner SetFileDialogRunner(FileDialogRunner runner) {
    FileDialogRunner previous = Runner();
    Runner() = runner ? std::move(runner) : FileDialogRunner(DefaultFileRunner);
    return previous;
}

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            // "*.*" means every file, also one without a dot.
            if (pattern.trimmed() == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        patterns.removeDuplicates();
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

void ApplyFileFilter(QFileDialog& dialog, const QString& qtFilter) {
    // The list shows each description alone, as it was written.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(qtFilter.split(QStringLiteral(";;"), Qt::SkipEmptyParts));
}
