// The printed page of a plot view: header texts in printer units, the plot itself drawn by
// Paint() on a logical page scaled to the printer's resolution.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "views/PlotBase.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

// Screen drawing assumes 96 logical pixels per inch; the printed plot keeps those
// proportions, so fonts and line widths look the same on paper.
constexpr double kLogicalDpi = 96.0;

QFont PrintFont(double points, bool bold = false) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  // Unshaped Latin text keeps ligatures out of the PDF, so "Infinite" is searchable text.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// Draws lines from (x, y) downwards, 1.1 line heights apart. A tab starts a second column,
// lined up for all lines just right of the widest first column (the printed settings block
// reads as a small table).
int DrawLines(QPainter& painter, const QFont& font, int x, int y,
              const std::vector<std::string>& lines, Qt::Alignment align = Qt::AlignLeft,
              int width = 0) {
  painter.setFont(font);
  // The painter's own metrics: they match what it draws on every device.
  const QFontMetrics fm = painter.fontMetrics();
  const double step = fm.height() * 1.1;
  int column = 0;
  for (const std::string& line : lines) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) {
      column = std::max(column, fm.horizontalAdvance(QString::fromStdString(line.substr(0, tab))));
    }
  }
  column += fm.horizontalAdvance(QStringLiteral("  "));
  const int boxWidth = width > 0 ? width : fm.horizontalAdvance(QString(200, 'x'));
  double top = y;
  for (const std::string& line : lines) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      painter.drawText(QRectF(x, top, boxWidth, fm.height()), int(align | Qt::AlignTop),
                       QString::fromStdString(line));
    } else {
      painter.drawText(QRectF(x, top, column, fm.height()), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromStdString(line.substr(0, tab)));
      painter.drawText(QRectF(x + column, top, boxWidth, fm.height()), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromStdString(line.substr(tab + 1)));
    }
    top += step;
  }
  return int(std::ceil(top));
}

}  // namespace

int TPlotBase::PrintSettingsBlock(QPainter& painter, int leftMargin, int topMargin,
                                  const std::vector<std::string>& lines) {
  painter.save();
  painter.setPen(Qt::black);
  const int bottom = DrawLines(painter, PrintFont(9.0), leftMargin + 10, topMargin + 6, lines);
  painter.restore();
  return bottom;
}

bool TPlotBase::Print(QPrinter& printer, const TPrintJob& job,
                      const std::function<bool()>& cancelled) {
  printer.setFullPage(true);
  if (!job.viewName.empty()) printer.setDocName(QString::fromStdString(job.viewName));
  // Cancelled before the printer started: nothing happened at all.
  if (cancelled && cancelled()) return false;
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const double dpi = printer.resolution();
  const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  const int left = int(job.marginLeftIn * dpi);
  const int right = paper.width() - int(job.marginRightIn * dpi);
  const int top = int(job.marginTopIn * dpi);
  const int bottom = paper.height() - int(job.marginBottomIn * dpi);
  const int width = std::max(1, right - left);

  painter.setPen(Qt::black);
  int headerBottom = top;
  if (job.printSettings && !job.settingsLines.empty()) {
    headerBottom =
        std::max(headerBottom, PrintSettingsBlock(painter, left, top, job.settingsLines));
  }
  // Title and annotations centred across the page, readouts right-aligned.
  std::vector<std::string> centre;
  if (job.printTitle && !job.title.empty()) {
    headerBottom = std::max(headerBottom, DrawLines(painter, PrintFont(12.0, true), left, top + 6,
                                                    {job.title}, Qt::AlignHCenter, width));
  }
  if (!job.annotation1.empty()) centre.push_back(job.annotation1);
  if (!job.annotation2.empty()) centre.push_back(job.annotation2);
  if (!centre.empty()) {
    painter.setFont(PrintFont(12.0, true));
    const QFontMetrics titleMetrics = painter.fontMetrics();
    const int y = top + 6 + (job.printTitle ? int(titleMetrics.height() * 1.3) : 0);
    headerBottom = std::max(headerBottom, DrawLines(painter, PrintFont(10.0), left, y, centre,
                                                    Qt::AlignHCenter, width));
  }
  if (!job.readouts.empty()) {
    headerBottom = std::max(headerBottom, DrawLines(painter, PrintFont(9.0), left, top + 6,
                                                    job.readouts, Qt::AlignRight, width - 10));
  }

  int plotBottom = bottom;
  if (!job.comments.empty()) {
    painter.setFont(PrintFont(9.0));
    const QFontMetrics fm = painter.fontMetrics();
    plotBottom -= int(fm.height() * 1.1 * job.comments.size()) + int(0.1 * dpi);
    DrawLines(painter, PrintFont(9.0), left, plotBottom + int(0.1 * dpi), job.comments);
  }

  // A job cancelled once the printer started is aborted; the platform's print engines may
  // not withdraw what they already took, but a file being written is removed.
  auto abort = [&] {
    printer.abort();
    painter.end();
    if (!printer.outputFileName().isEmpty()) QFile::remove(printer.outputFileName());
    return false;
  };
  if (cancelled && cancelled()) return abort();

  const int plotTop = headerBottom + int(0.15 * dpi);
  if (plotBottom - plotTop > dpi) {
    const double scale = dpi / kLogicalDpi;
    painter.save();
    painter.translate(left, plotTop);
    painter.scale(scale, scale);
    Paint(painter, QRect(0, 0, int(width / scale), int((plotBottom - plotTop) / scale)));
    painter.restore();
  }
  if (cancelled && cancelled()) return abort();
  return painter.end();
}

bool TPlotBase::PrintToPdf(const std::string& path, const TPrintJob& job) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageOrientation(QPageLayout::Landscape);
  return Print(printer, job);
}

bool TPlotBase::AskAnnotations(QWidget* parent, TPrintJob& job) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString::fromUtf8(viewtext::kAnnotationDialogTitle));
  auto* form = new QFormLayout(&dialog);
  auto* line1 = new QLineEdit(QString::fromStdString(job.annotation1), &dialog);
  auto* line2 = new QLineEdit(QString::fromStdString(job.annotation2), &dialog);
  line1->setMaxLength(viewtext::kAnnotationLength);
  line2->setMaxLength(viewtext::kAnnotationLength);
  line1->setMinimumWidth(360);
  form->addRow(QString::fromUtf8(viewtext::kAnnotationLine1), line1);
  form->addRow(QString::fromUtf8(viewtext::kAnnotationLine2), line2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return false;
  job.annotation1 = line1->text().toStdString();
  job.annotation2 = line2->text().toStdString();
  return true;
}

void TPlotBase::ApplyPrintOptions(const TPrintOptions& options, TPrintJob& job) {
  job.annotation1 = options.annotation1.substr(0, viewtext::kAnnotationLength);
  job.annotation2 = options.annotation2.substr(0, viewtext::kAnnotationLength);
  // Margins outside 0 ... 3 inches would leave no page to print on.
  auto margin = [](float inches) {
    return std::isfinite(inches) ? std::clamp(double(inches), 0.0, 3.0) : 0.5;
  };
  job.marginLeftIn = margin(options.marginLeft);
  job.marginRightIn = margin(options.marginRight);
  job.marginTopIn = margin(options.marginTop);
  job.marginBottomIn = margin(options.marginBottom);
  job.comments.clear();
  if (options.enableCommentBlock) {
    for (const std::string& comment : options.comments) {
      if (!comment.empty()) job.comments.push_back(comment);
    }
  }
}

}  // namespace orvanix
