#include "app/TQuilloryApp.h"

#include "app/DocumentWatch.h"
#include "app/PasswordProtection.h"
#include "app/ProgramEnd.h"
#include "app/RecoveryPrompt.h"
#include "app/ShowMode.h"
#include "app/TSDIDecFrame.h"
#include "app/TerminationSignals.h"
#include "backup/TBackupDialog.h"
#include "deadlines/UserDeadlines.h"
#include "deadlines/gui/DeadlineReminder.h"
#include "deadlines/gui/TFristenDialog.h"
#include "desk/HotSpotTable.h"
#include "desk/TQuilloryDlgClient.h"
#include "forms/FormFactory.h"
#include "forms/TSearchDialog.h"
#include "forms/TVertraegeDialog.h"
#include "platform/Messages.h"
#include "platform/SystemDirs.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/MessageBoxQt.h"
#include "platform/gui/SecretClipboard.h"
#include "platform/gui/TopLevelWindows.h"
#include "print/ContractLetterFile.h"
#include "print/TNotfallmappeDialog.h"
#include "store/TDataSetManager.h"
#include "util/VersionTitle.h"
#include "util/gui/TInputDialog2.h"

#include <QApplication>
#include <QTimer>

#include <memory>

bool AskUserNameDialog(const std::string& prompt, std::string& name) {
    TInputDialog2 dialog(QApplication::activeWindow(), kVersionTitle, prompt, name,
                         kMaxUserNameLength + 1, false);
    return dialog.Execute() == IDOK;
}

namespace {

constexpr const char* kDesktopName = "Quillory";
constexpr const char* kDesktopFileName = "de.quillory.Quillory";

DocumentOutcome OpenDocument(const std::string& path) {
    DataSetManager().Open(path);
    return DataSetManager().IsLocked() ? DocumentOutcome::InUse : DocumentOutcome::Done;
}

DocumentOutcome CreateDocument() {
    DataSetManager().Create();
    return DataSetManager().IsLocked() ? DocumentOutcome::InUse : DocumentOutcome::Done;
}

void ShowFrame(QWidget& frame, int mode) {
    switch (mode) {
    case SW_HIDE:
        break;
    case SW_SHOWMINNOACTIVE:
        frame.setAttribute(Qt::WA_ShowWithoutActivating);
        frame.showMinimized();
        break;
    default:
        frame.show();
        break;
    }
}

// A deadline's state on paper, as of the print date.
QString PaperState(DeadlineState state) {
    switch (state) {
    case DeadlineState::Expired:
        return QStringLiteral("abgelaufen");
    case DeadlineState::Due:
        return QStringLiteral("fällig bis");
    case DeadlineState::Later:
        break;
    case DeadlineState::Unreadable:
        return QStringLiteral("nicht lesbar");
    }
    return QStringLiteral("gültig bis");
}

// The overview's rows for the emergency folder's page "Fristen".
std::vector<FolderDeadline> FolderDeadlines(const FristenFacts& facts) {
    std::vector<FolderDeadline> rows;
    const CalendarDate today = facts.today();
    for (const Deadline& d : facts.read(false).value_or(std::vector<Deadline>{})) {
        rows.push_back({PaperState(StateOf(d, today, facts.leadDays)),
                        QString::fromStdString(DateText(d)), QString::fromStdString(d.form),
                        QString::fromStdString(d.what)});
    }
    return rows;
}

} // namespace

TQuilloryApp::TQuilloryApp(QApplication& application) : TQuilloryApp(application, Options{}) {}

TQuilloryApp::TQuilloryApp(QApplication& application, Options options)
    : m_application(application), m_options(std::move(options)), m_name(kVersionTitle) {
    // The desktop knows the program by this name (window class, desktop entry). No display
    // name is set: Qt would append it to every window title.
    m_application.setApplicationName(QString::fromUtf8(kDesktopName));
    m_application.setDesktopFileName(QString::fromUtf8(kDesktopFileName));
}

TQuilloryApp::~TQuilloryApp() = default;

DeskServices TQuilloryApp::Services() {
    DeskServices services;
    services.login = [this] {
        LoginServices login;
        login.askName = m_options.askName ? m_options.askName : AskUserNameDialog;
        login.setDocumentPath = [](const std::string& path) {
            DataSetManager().SetDocumentPath(path);
        };
        login.open = OpenDocument;
        login.create = CreateDocument;
        m_login = RunLogin(login, SystemDirs::ProgramDirectory(), SystemDirs::WindowsDirectory());
        return m_login.result != LoginResult::Cancelled;
    };
    services.login = LoginEndingOnPasswordCancel(std::move(services.login));
    services.queryProtection = [] { return QueryProtection(); };
    services.attachPasswordRequest = [](QWidget* desk, DeskPasswordState& state) {
        AttachPasswordRequest(desk, state);
    };
    services.detachPasswordRequest = [] { DetachPasswordRequest(); };
    services.setPassword = [](QWidget* desk, DeskPasswordState& state) {
        SetPasswordCommand(desk, state);
    };
    services.removePassword = RemovePasswordCommand;
    services.backup = [this](QWidget* desk, const std::string& programDir) {
        RunBackupDialog(desk, programDir, m_login.documentPath);
    };
    TVertraegeDialog::SetLetterWriter(WriteContractLetter);
    services.runForm = [](int command, QWidget* desk) {
        if (std::unique_ptr<TDialog> form = CreateCategoryForm(command, desk)) {
            form->Execute();
        }
    };
    services.openFormAtField = [](QWidget* desk, int category, int id, bool selectText) {
        if (std::unique_ptr<TDialog> form =
                CreateCategoryFormAtField(category, id, selectText, desk))
            form->Execute();
    };
    services.emergencyFolder = [this](QWidget* desk, const DeskPasswordState& state) {
        FolderFacts facts;
        QString name = QString::fromStdString(m_login.typedName);
        if (name.endsWith(QStringLiteral(".qlr"), Qt::CaseInsensitive))
            name.chop(4);
        facts.userName = name;
        facts.isProtected = state.isProtected;
        facts.deadlines = FolderDeadlines(DeadlineFacts(desk, state));
        RunEmergencyFolder(desk, facts, DocumentRecoveryActions(desk));
    };
    services.deadlines = [this](QWidget* desk, const DeskPasswordState& state) {
        RunFristen(desk, DeadlineFacts(desk, state));
    };
    services.search = RunSearch;
    services.quit = EndProgram;
    if (m_options.adjustServices) {
        m_options.adjustServices(services);
    }
    return services;
}

bool TQuilloryApp::InitMainWindow() {
    try {
        DeskServices services = Services();
        m_quit = services.quit;
        m_frame = std::make_unique<TSDIDecFrame>(services);
    } catch (const LoginCancelled&) {
        return false;
    }
    return true;
}

bool TQuilloryApp::InitInstance() {
    if (!InitMainWindow()) {
        return false;
    }
    // No show mode is passed to a program here.
    ShowFrame(*m_frame, FrameShowMode(SW_SHOWDEFAULT));
    // Cancel at the lock's prompt ends the program as the exit hot spot does.
    DeskLock::Hooks hooks{m_options.lockClock, {}, m_quit};
    auto* lock = new DeskLock(m_frame->Desk()->PasswordState(),
                              AutoLockMinutes(SystemDirs::WindowsDirectory() + kSettingsFileName),
                              std::move(hooks));
    lock->setParent(m_frame.get());
    StartDeadlineReminders();
    new DocumentWatch(m_frame->Desk(), m_frame->Desk()->PasswordState());
    return true;
}

std::string TQuilloryApp::DeadlineUser() const {
    // The document's file name: the same user whatever the folder or the letter case typed.
    const QString path = QString::fromStdString(m_login.documentPath);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toLower().toStdString();
}

FristenFacts TQuilloryApp::DeadlineFacts(QWidget* desk, const DeskPasswordState& state) const {
    FristenFacts facts;
    facts.read = ReadUserDeadlines;
    facts.openField = [desk](int category, int id) {
        if (auto* client = qobject_cast<TQuilloryDlgClient*>(desk))
            client->OpenFormAtField(category, id, false);
    };
    facts.today = Today;
    facts.leadDays = LeadDays(SystemDirs::WindowsDirectory() + kSettingsFileName);
    facts.user = DeadlineUser();
    facts.isProtected = state.isProtected;
    return facts;
}

void TQuilloryApp::StartDeadlineReminders() {
    const std::string settings = SystemDirs::WindowsDirectory() + kSettingsFileName;
    OfferLeadTimeKey(settings);
    const int leadDays = LeadDays(settings);
    if (leadDays <= 0)
        return;
    const CalendarDate today = Today();
    // Owned by the frame.
    new DeadlineReminder(leadDays, {[] { return ReadUserDeadlines(false); }, Today, {}},
                         m_frame.get());
    const auto deadlines = ReadUserDeadlines(false);
    if (!deadlines || CountDue(*deadlines, today, leadDays) == 0 ||
        !TakeDailyOverview(settings, DeadlineUser(), today))
        return;
    // Over the desk once the loop runs, as a press on its hot spot opens it.
    TQuilloryDlgClient* desk = m_frame->Desk();
    QTimer::singleShot(0, desk, [desk] {
        if (!desk->Busy())
            desk->RunCommand(CmDeadlines);
    });
}

int TQuilloryApp::Run() {
    if (!InitInstance()) {
        return 0;
    }
    if (m_options.onShown) {
        m_options.onShown(*m_frame);
    }
    // An end requested before the loop (a signal during the login) ends it at once.
    const int result = ProgramEnding() ? 0 : m_application.exec();
    CloseHelpWindow();
    m_frame.reset();
    return result;
}

int RunQuillory(QApplication& application, TQuilloryApp::Options options) {
    if (options.realMessageBoxes) {
        InstallQtMessageHandler();
    }
    LoadGermanTranslations(application);
    TDataSetManager::RemoveLeftovers();
    InstallTopLevelWindowRules(application);
    FinishProgramEnd();
    ClearUnattendedEnd();
    // From the login to the last file written: a termination signal ends the run as the exit
    // hot spot does.
    TerminationSignals termination;
    int status = 0;
    {
        // Declared first, so that our text leaves the clipboard last, when the windows are gone.
        SecretClipboard clipboard(QGuiApplication::clipboard());
        TQuilloryApp app(application, std::move(options));
        status = app.Run();
    }
    // The messages of the final save are seen, whatever ended the loop; after a signal nobody
    // would answer a box: they go to the standard error stream.
    FinishProgramEnd();
    const bool unattended = EndingUnattended();
    MessageHandler boxes = unattended ? SetMessageHandler({}) : MessageHandler{};
    // Written after every confirmation, and once more here.
    if (!DataSetManager().Close() && unattended) {
        status = 1; // the working files are kept for the next start
    }
    if (unattended) {
        SetMessageHandler(std::move(boxes));
    }
    return status;
}
