#include "print/FolderPainter.h"

#include "platform/FileServices.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

using namespace FolderGeometry;

namespace {

constexpr double kMmPerInch = 25.4;
// Resolution of the PDF's coordinates: fine enough for hairlines and exact text placement.
constexpr int kPdfResolution = 600;

QString XmpMetadata(const QString& title, const QString& userName) {
    const QString user = userName.toHtmlEscaped();
    const QString name = title.toHtmlEscaped();
    return QStringLiteral("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                          "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                          " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                          "  <rdf:Description rdf:about=\"\" "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                          "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
                          "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%2</rdf:li>"
                          "</rdf:Alt></dc:title>\n"
                          "   <dc:creator><rdf:Seq><rdf:li>%1</rdf:li></rdf:Seq></dc:creator>\n"
                          "   <xmp:CreatorTool>Quillory</xmp:CreatorTool>\n"
                          "  </rdf:Description>\n"
                          " </rdf:RDF>\n"
                          "</x:xmpmeta>\n"
                          "<?xpacket end=\"w\"?>")
        .arg(user, name);
}

class Painter {
public:
    explicit Painter(QPagedPaintDevice& device)
        : m_device(device), m_scaleX(device.logicalDpiX() / kMmPerInch),
          m_scaleY(device.logicalDpiY() / kMmPerInch) {}

    bool Paint(const std::vector<FolderPage>& pages) {
        QPainter p;
        if (!p.begin(&m_device))
            return false;
        p.setRenderHint(QPainter::Antialiasing);
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0 && !m_device.newPage())
                return false;
            PaintPage(p, pages[i]);
        }
        return p.end();
    }

private:
    QRectF Box(double x, double y, double w, double h) const {
        return QRectF(x * m_scaleX, y * m_scaleY, w * m_scaleX, h * m_scaleY);
    }

    // The text in its role's font at scale, shrunk further where it would still not fit its box
    // (a header's long user name): nothing is painted past its box.
    void Text(QPainter& p, double x, double y, double w, const QString& text, PrintRole role,
              bool right, double scale = 1.0, bool bold = false) {
        QFont font = FolderFont(role);
        if (bold)
            font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * scale);
        const double width = QFontMetricsF(font, &m_device).horizontalAdvance(text) / m_scaleX;
        if (width > w && width > 0)
            font.setPointSizeF(font.pointSizeF() * w / width * 0.99);
        p.setFont(font);
        p.setPen(role == PrintRole::Label || role == PrintRole::Small ? QColor(60, 60, 60)
                                                                      : QColor(0, 0, 0));
        p.drawText(Box(x, y, w, LineHeight(role)),
                   (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine |
                       Qt::TextDontClip,
                   text);
    }

    void Rule(QPainter& p, double x, double y, double w, double thickness, const QColor& colour) {
        p.setPen(QPen(colour, thickness * m_scaleY, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(x * m_scaleX, y * m_scaleY), QPointF((x + w) * m_scaleX, y * m_scaleY));
    }

    void PaintPage(QPainter& p, const FolderPage& page) {
        if (page.framed)
            PaintFrame(p, page);
        for (const PageRule& rule : page.rules) {
            if (rule.toFill)
                Rule(p, rule.x, rule.y, rule.width, 0.25, QColor(70, 70, 70));
            else
                Rule(p, rule.x, rule.y, rule.width, 0.12, QColor(185, 185, 185));
        }
        for (const PageText& text : page.texts)
            Text(p, text.x, text.y, text.width, text.text, text.role, text.alignRight, text.scale);
        for (const PageBox& box : page.boxes) // edge to edge: no hairlines between modules
            p.fillRect(Box(box.x, box.y, box.side, box.side).adjusted(0, 0, 0.5, 0.5), Qt::black);
    }

    void PaintFrame(QPainter& p, const FolderPage& page) {
        const double headerLine = LineHeight(PrintRole::Small);
        // Title and user name share the header line, each in its own part.
        Text(p, kLeft, kHeaderTop, kBodyWidth * 0.6, page.headerLeft, PrintRole::Small, false, 1.0,
             true);
        Text(p, kLeft + kBodyWidth * 0.62, kHeaderTop, kBodyWidth * 0.38, page.headerRight,
             PrintRole::Small, true);
        Rule(p, kLeft, kHeaderTop + headerLine + 1.2, kBodyWidth, 0.3, QColor(90, 90, 90));
        Rule(p, kLeft, kFooterTop - 1.5, kBodyWidth, 0.2, QColor(150, 150, 150));
        Text(p, kLeft, kFooterTop, kBodyWidth * 0.6, page.footerLeft, PrintRole::Small, false);
        Text(p, kLeft + kBodyWidth * 0.62, kFooterTop, kBodyWidth * 0.38, page.footerRight,
             PrintRole::Small, true);
    }

    QPagedPaintDevice& m_device;
    double m_scaleX;
    double m_scaleY;
};

std::vector<FolderPage> PagesFor(const QPaintDevice& device, const FolderFacts& facts,
                                 const std::vector<FolderCategory>& categories,
                                 const FolderOptions& options) {
    return BuildFolderPages(facts, categories, options, DeviceTextWidth(device));
}

} // namespace

QFont FolderFont(PrintRole role) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    // Widths are measured once and must hold when printed: no hinting, no kerning surprises.
    font.setHintingPreference(QFont::PreferNoHinting);
    switch (role) {
    case PrintRole::Title:
        font.setPointSizeF(18);
        font.setBold(true);
        break;
    case PrintRole::Heading:
        font.setPointSizeF(11);
        font.setBold(true);
        break;
    case PrintRole::Label:
        font.setPointSizeF(7.5);
        break;
    case PrintRole::Value:
        font.setPointSizeF(8.5);
        break;
    case PrintRole::Small:
        font.setPointSizeF(7.5);
        break;
    case PrintRole::Code:
        font.setFamily(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPointSizeF(15);
        font.setBold(true);
        break;
    case PrintRole::Letter:
        font.setPointSizeF(11);
        break;
    }
    return font;
}

TextWidth DeviceTextWidth(const QPaintDevice& device) {
    const double mmPerPixel = kMmPerInch / device.logicalDpiX();
    auto metrics = std::make_shared<std::vector<QFontMetricsF>>();
    for (PrintRole role : {PrintRole::Title, PrintRole::Heading, PrintRole::Label, PrintRole::Value,
                           PrintRole::Small, PrintRole::Code, PrintRole::Letter}) {
        QFont font = FolderFont(role);
        metrics->emplace_back(font, &device);
    }
    return [metrics, mmPerPixel](const QString& text, PrintRole role) {
        return (*metrics)[static_cast<size_t>(role)].horizontalAdvance(text) * mmPerPixel;
    };
}

bool PaintFolder(QPagedPaintDevice& device, const std::vector<FolderPage>& pages) {
    return Painter(device).Paint(pages);
}

QByteArray PagesPdf(const QString& title, const QString& userName,
                    const std::function<std::vector<FolderPage>(const TextWidth&)>& build) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setTitle(title);
        // Qt's PDF writer has no author entry: the user is the document's creator.
        writer.setCreator(userName);
        writer.setDocumentXmpMetadata(XmpMetadata(title, userName).toUtf8());
        if (!PaintFolder(writer, build(DeviceTextWidth(writer))))
            return {};
    }
    return bytes;
}

bool SavePdfBytes(const std::string& path, const QByteArray& pdf) {
    if (pdf.isEmpty())
        return false;
    // Private from the first byte, also when it replaces a file the user chose to overwrite.
    AtomicFile file(path, 0600);
    return file.Write(std::string_view(pdf.constData(), static_cast<size_t>(pdf.size()))) &&
           file.Commit();
}

QByteArray FolderPdf(const FolderFacts& facts, const std::vector<FolderCategory>& categories,
                     const FolderOptions& options) {
    return PagesPdf(QStringLiteral("Notfallmappe"), facts.userName, [&](const TextWidth& measure) {
        return BuildFolderPages(facts, categories, options, measure);
    });
}

bool SaveFolderPdf(const std::string& path, const FolderFacts& facts,
                   const std::vector<FolderCategory>& categories, const FolderOptions& options) {
    return SavePdfBytes(path, FolderPdf(facts, categories, options));
}

bool PrintFolder(QPrinter& printer, const FolderFacts& facts,
                 const std::vector<FolderCategory>& categories, const FolderOptions& options) {
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(QStringLiteral("Notfallmappe"));
    printer.setCreator(facts.userName);
    return PaintFolder(printer, PagesFor(printer, facts, categories, options));
}
