#include "platform/gui/TaskWindow.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <filesystem>

#include <sys/stat.h>

namespace {

// Serves events until done() holds or about ten seconds have passed.
template <typename Done> bool Await(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return done();
}

TEST(TaskWindow, TheProgramsPromptTakesKeysWhileAModalDialogWaits) {
    TempDir dir;
    const std::string script = dir.file("frage.sh");
    WriteFileBytes(script, "#!/bin/sh\nprintf 'Enter password: '\nread line\n"
                           "echo \"$line\" > antwort\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string pif = dir.file("backup.pif");
    std::filesystem::copy_file(std::string(QUILLORY_SOURCE_DIR) + "/resources/backup.pif", pif);
    ASSERT_TRUE(WritePifFields(pif, {"Backup-Task", script, dir.path(), ""}));

    QDialog waiting; // as the backup dialog waits for the packer
    bool typed = false;
    // What the program writes (an archive) is private whatever the umask.
    const mode_t umask = ::umask(0);
    QTimer::singleShot(0, &waiting, [&] {
        EXPECT_TRUE(LaunchPif(pif));
        QWidget* task = FindTopLevelWindow("Backup-Task");
        if (task == nullptr) {
            ADD_FAILURE() << "no task window";
        } else {
            Await([task] { return task->windowHandle() && task->windowHandle()->isExposed(); });
            // Keys come in as from the window system, where a blocked window drops them.
            for (char c : std::string("geheim"))
                QTest::keyClick(task->windowHandle(), c);
            QTest::keyClick(task->windowHandle(), Qt::Key_Return);
            typed = Await([&] { return std::filesystem::exists(dir.file("antwort")); });
        }
        waiting.reject();
    });
    waiting.exec();
    ::umask(umask);
    EXPECT_TRUE(typed);
    EXPECT_EQ(ReadFileBytes(dir.file("antwort")), "geheim\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("antwort").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(LaunchPif(dir.file("fehlt.pif")), false);
}

} // namespace
