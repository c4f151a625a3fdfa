#include "ui/TextPrinter.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QString>

#include "ui/PrintAbortDialog.h"

namespace orvanix {

std::vector<double> TabStopsFromDialogUnits(const std::vector<int>& dialogUnits) {
  std::vector<double> stops;
  stops.reserve(dialogUnits.size());
  for (int units : dialogUnits) stops.push_back(units / 4.0);
  return stops;
}

size_t DrawTextLines(QPainter& painter, const TTextPrintJob& job, size_t first, int left, int top,
                     int right, int bottom) {
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double charWidth = metrics.averageCharWidth();
  const double lineHeight = metrics.lineSpacing();
  const double spaceWidth = metrics.horizontalAdvance(QChar(' '));
  double y = top;
  size_t index = first;
  for (; index < job.lines.size(); ++index) {
    if (y + lineHeight > bottom && index > first) break;
    const QStringList fields = QString::fromStdString(job.lines[index]).split('\t');
    double x = left;
    for (qsizetype f = 0; f < fields.size(); ++f) {
      if (f > 0) {
        // The next stop to the right of what was drawn, else a space after it.
        double next = x + spaceWidth;
        for (double stop : job.tabStopsChars) {
          const double stopX = left + stop * charWidth;
          if (stopX > x) {
            next = stopX;
            break;
          }
        }
        x = next;
      }
      if (fields[f].isEmpty()) continue;
      painter.drawText(QPointF(x, y + metrics.ascent()), fields[f]);
      x += metrics.horizontalAdvance(fields[f]);
      if (x > right) break;
    }
    y += lineHeight;
  }
  return index;
}

bool PrintText(QPrinter& printer, const TTextPrintJob& job,
               const std::function<bool()>& cancelled) {
  printer.setDocName(QString::fromStdString(job.documentName));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QFont font(QString::fromStdString(job.fontFamily));
  font.setPointSize(job.pointSize > 0 ? job.pointSize : 10);
  painter.setFont(font);
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QRect area(0, 0, page.width(), page.height());
  size_t next = 0;
  do {
    next = DrawTextLines(painter, job, next, area.left(), area.top(), area.right(), area.bottom());
    if (cancelled && cancelled()) {
      // Aborted; the platform's print engines may not withdraw the pages they already took,
      // but a file being written is removed.
      printer.abort();
      painter.end();
      if (!printer.outputFileName().isEmpty()) QFile::remove(printer.outputFileName());
      return false;
    }
    if (next < job.lines.size() && !printer.newPage()) {
      painter.end();
      return false;
    }
  } while (next < job.lines.size());
  return painter.end();
}

bool PrintTextToPdf(const std::string& path, const TTextPrintJob& job) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  return PrintText(printer, job);
}

bool PrintTextWithDialog(QWidget* parent, const TTextPrintJob& job) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromStdString(job.documentName));
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QString::fromStdString(job.documentName));
  if (dialog.exec() != QDialog::Accepted) return false;
  TPrintAbortDialog abort(parent, job.documentName);
  abort.Open();
  return PrintText(printer, job, abort.Poll());
}

}  // namespace orvanix
