#pragma once

#include "print/FolderPages.h"

#include <QByteArray>
#include <QFont>

#include <functional>
#include <string>
#include <vector>

class QPaintDevice;
class QPagedPaintDevice;
class QPrinter;

// The folder's fonts (DejaVu Sans) and the widths of texts in them on a device, in millimetres.
QFont FolderFont(PrintRole role);
TextWidth DeviceTextWidth(const QPaintDevice& device);

// Paints the pages on an A4 device whose origin is the paper's top-left corner; false when
// painting could not begin.
bool PaintFolder(QPagedPaintDevice& device, const std::vector<FolderPage>& pages);

// The folder as a PDF: A4, the title "Notfallmappe" and the user name in its metadata, its
// fonts embedded. Empty when it could not be made.
QByteArray FolderPdf(const FolderFacts& facts, const std::vector<FolderCategory>& categories,
                     const FolderOptions& options);

// Pages built with a PDF device's text widths, as a PDF: A4, title and user in its metadata.
// Empty when it could not be made.
QByteArray PagesPdf(const QString& title, const QString& userName,
                    const std::function<std::vector<FolderPage>(const TextWidth&)>& build);
// Writes a PDF through the atomic writer (a new file gets mode 0600); false when pdf is empty or
// it could not be written.
bool SavePdfBytes(const std::string& path, const QByteArray& pdf);

// Writes the PDF to path through the atomic writer (a new file gets mode 0600); nothing else is
// written anywhere. False when it could not be made or written.
bool SaveFolderPdf(const std::string& path, const FolderFacts& facts,
                   const std::vector<FolderCategory>& categories, const FolderOptions& options);

// Prints on a printer the user has set up; false when printing failed.
bool PrintFolder(QPrinter& printer, const FolderFacts& facts,
                 const std::vector<FolderCategory>& categories, const FolderOptions& options);
