// formshots <output dir>: shows each category form with every field filled to its limit on the
// running display and saves a picture of it as <template>.png.

#include "forms/FormCatalogue.h"
#include "forms/FormFactory.h"
#include "forms/TCategoryForm.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: formshots <output dir>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir work;
    SystemDirs::SetTempDirectory(QDir(work.path()).absolutePath().toStdString() + "/");
    DataSetManager().DocumentPath =
        QDir(work.path()).filePath(QStringLiteral("shots.qlr")).toStdString();
    DataSetManager().Create();

    for (const FormDescription& d : FormCatalogue()) {
        std::unique_ptr<TDialog> dialog = CreateCategoryForm(d.command, nullptr);
        auto* form = static_cast<TCategoryForm*>(dialog.get());
        form->show();
        for (const FieldFacts& field : FieldsOf(d.category)) {
            const int id = field.id;
            QWidget* c = form->Edit(id);
            const int limit = FieldLimit(d.category, id);
            if (auto* line = qobject_cast<QLineEdit*>(c)) {
                QString t = QStringLiteral("WÄß%1").arg(id);
                while (t.size() < limit - 1)
                    t += (t.size() % 2) ? QLatin1Char('w') : QLatin1Char('M');
                line->setText(t);
                line->setCursorPosition(0);
            } else if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
                memo->setPlainText(QStringLiteral("Erste Zeile %1\nZweite Zeile\nDritte").arg(id));
            }
        }
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
        const QString file =
            QDir(out).filePath(QString::fromUtf8(d.templateName) + QStringLiteral(".png"));
        form->grab().save(file);
        std::printf("%s %dx%d\n", qPrintable(file), form->width(), form->height());
        form->CloseWindow(IDCANCEL);
    }
    DataSetManager().Close();
    return 0;
}
