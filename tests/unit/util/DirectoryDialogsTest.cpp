#include "util/gui/DirectoryDialogs.h"

#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListView>
#include <QThread>

#include <filesystem>

#include <gtest/gtest.h>

namespace {

std::string Cwd() {
    return std::filesystem::current_path().string();
}

TEST(DirectoryDialogsTest, ChooseDirectoryRefusesEmptyPathWithoutDialog) {
    int shown = 0;
    DirectoryChooser previous = SetDirectoryChooser([&](QWidget*, const std::string&) {
        ++shown;
        return std::string("/x");
    });
    std::string path;
    EXPECT_FALSE(ChooseDirectory(nullptr, path));
    EXPECT_EQ(shown, 0);
    SetDirectoryChooser(previous);
}

TEST(DirectoryDialogsTest, ChosenDirectoryGetsTrailingSlashAndCwdStays) {
    TempDir dir;
    const std::string before = Cwd();
    std::string seenCwd;
    std::string answer = dir.path().substr(0, dir.path().size() - 1);
    DirectoryChooser previous = SetDirectoryChooser([&](QWidget*, const std::string&) {
        seenCwd = Cwd();
        return answer;
    });
    std::string path = dir.path();
    EXPECT_TRUE(ChooseDirectory(nullptr, path));
    EXPECT_EQ(path.back(), '/');
    EXPECT_EQ(path, dir.path());
    EXPECT_EQ(std::filesystem::canonical(seenCwd), std::filesystem::canonical(dir.path()));
    EXPECT_EQ(Cwd(), before);

    answer.clear(); // cancelled
    std::string kept = dir.path();
    EXPECT_FALSE(ChooseDirectory(nullptr, kept));
    EXPECT_EQ(kept, dir.path());
    EXPECT_EQ(Cwd(), before);
    SetDirectoryChooser(previous);
}

TEST(DirectoryDialogsTest, GetFileNameRetriesOnceWithEmptyName) {
    std::vector<std::string> names;
    FileDialogRunner previous =
        SetFileDialogRunner([&](QWidget*, bool, const std::string& name, const QString& filter,
                                const std::string&, const std::string&) {
            names.push_back(name);
            EXPECT_EQ(filter, QStringLiteral("Exe-Dateien (*.exe)"));
            FileDialogRun run;
            run.error = true;
            return run;
        });
    std::string path = "/no/such/dir/x.exe";
    EXPECT_FALSE(GetFileName(nullptr, path, true, "Exe-Dateien|*.exe|"));
    EXPECT_EQ(names, (std::vector<std::string>{"/no/such/dir/x.exe", ""}));
    EXPECT_EQ(path, "/no/such/dir/x.exe");

    SetFileDialogRunner([](QWidget*, bool, const std::string& name, const QString&,
                           const std::string&, const std::string&) {
        FileDialogRun run;
        run.ok = name.empty();
        run.error = !name.empty();
        run.path = "/bin/zip";
        return run;
    });
    EXPECT_TRUE(GetFileName(nullptr, path, false, "Alle|*.*|"));
    EXPECT_EQ(path, "/bin/zip");
    SetFileDialogRunner(previous);
    EXPECT_EQ(QtFileFilter("A|*.a;*.b|B|*.c|"), QStringLiteral("A (*.a *.b);;B (*.c)"));
}

TEST(DirectoryDialogsTest, AllFilesShowsNamesWithoutADotAndEachDescriptionOnce) {
    TempDir dir;
    WriteFileBytes(dir.file("README"), "x");
    WriteFileBytes(dir.file("Anna.qlr"), "x");
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ApplyFileFilter(dialog, QtFileFilter("Quillory (*.qlr)|*.qlr;|Alle Dateien (*.*)|*.*|"));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList descriptions;
    for (int i = 0; i < types->count(); ++i)
        descriptions << types->itemText(i);
    EXPECT_EQ(descriptions, (QStringList{QStringLiteral("Quillory (*.qlr)"),
                                         QStringLiteral("Alle Dateien (*.*)")}));

    dialog.setDirectory(QString::fromStdString(dir.path()));
    ASSERT_EQ(dialog.nameFilters().size(), 2);
    dialog.selectNameFilter(dialog.nameFilters().at(1));
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    const auto shown = [view] {
        QStringList names;
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            names << view->model()->index(r, 0, view->rootIndex()).data().toString();
        names.sort();
        return names;
    };
    // The directory is read in the background.
    for (int i = 0; i < 1000 && shown().size() < 2; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("Anna.qlr"), QStringLiteral("README")}));
}

} // namespace
