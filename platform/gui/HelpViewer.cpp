#include "platform/gui/HelpViewer.h"

#include "platform/Messages.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>

namespace {

constexpr const char* kHelpCaption = "Quillory Hilfe";

QPointer<QTextBrowser>& Window() {
    static QPointer<QTextBrowser> window;
    return window;
}

QTextBrowser* MakeWindow() {
    auto* browser = new QTextBrowser;
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setWindowTitle(QString::fromUtf8(kHelpCaption));
    browser->setOpenExternalLinks(false);
    browser->setOpenLinks(true);
    browser->resize(640, 560);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        browser->move(area.left() + (area.width() - 640) / 2,
                      area.top() + (area.height() - 560) / 2);
    }
    // The window does not outlive the message loop.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, browser, &QObject::deleteLater);
    return browser;
}

} // namespace

bool ShowHelpContents(const std::string& helpFile) {
    const QString path = QString::fromStdString(helpFile);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        ShowMessage("Die Hilfedatei \"" + helpFile +
                        "\" wurde nicht gefunden oder kann nicht gelesen werden.",
                    kHelpCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    file.close();
    QTextBrowser* browser = Window();
    if (!browser) {
        browser = MakeWindow();
        Window() = browser;
    }
    browser->setSearchPaths({QFileInfo(path).absolutePath()});
    // The help file is HTML whatever its extension says.
    browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()),
                       QTextDocument::HtmlResource);
    browser->scrollToAnchor(QStringLiteral("inhalt"));
    browser->show();
    browser->raise();
    browser->activateWindow();
    return true;
}

QWidget* HelpWindow() {
    return Window();
}

void CloseHelpWindow() {
    delete Window().data();
}
