// Printing of text reports (the configuration report): lines whose fields are separated by
// tab characters, laid out on tab stops, one line per report line, in a proportional font,
// with as many pages as the lines need.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;

namespace orvanix {

struct TTextPrintJob {
  std::string documentName;  // the print job's name ("Configuration Parameters")
  std::string fontFamily;    // e.g. "Arial" (the platform picks its nearest match)
  int pointSize = 10;
  // Tab stops in average character widths of the font, increasing. A field that starts at
  // or past a stop moves to the next stop, or one space further after the last.
  std::vector<double> tabStopsChars;
  std::vector<std::string> lines;
};

// Tab stops of a list box, given in dialog units (a quarter of the average character width),
// as average character widths.
std::vector<double> TabStopsFromDialogUnits(const std::vector<int>& dialogUnits);

// Prints onto a printer that is set up (page, output file). `cancelled` (optional) is asked
// after each page; when it says so the job is aborted. False when the printer cannot be
// started or the job was cancelled.
bool PrintText(QPrinter& printer, const TTextPrintJob& job,
               const std::function<bool()>& cancelled = {});
// Prints into a PDF file (works without a display and without a printer).
bool PrintTextToPdf(const std::string& path, const TTextPrintJob& job);
// The platform's print dialog, then PrintText with the cancel dialog titled with the job's
// name. False when cancelled or failed.
bool PrintTextWithDialog(QWidget* parent, const TTextPrintJob& job);

// Draws the lines from `top` down to `bottom` inside [left, right] starting with line
// `first`; returns the index of the first line that did not fit. Used per page.
size_t DrawTextLines(QPainter& painter, const TTextPrintJob& job, size_t first, int left, int top,
                     int right, int bottom);

}  // namespace orvanix
