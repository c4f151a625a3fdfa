// Printing of the current view: File > Print (the annotation lines, the print dialog, then
// the page with a cancel dialog up while it prints) and File > Printer Setup. The printer is
// the frame's own, so that what Printer Setup chose holds for every print of the session.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "app/gui/MainWin.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "ui/PrintAbortDialog.h"
#include "views/OrvanePlot.h"
#include "views/ViewPlot.h"

namespace orvanix {

namespace {

constexpr const char* kFileIoSection = "FileIO";
constexpr const char* kPrintSettingsInfo = "PrintSettingsInfo";
constexpr const char* kPrintPlotTitle = "PrintPlotTitle";

// A printing switch of the program settings: on unless it reads "FALSE" (in any case, with
// spaces around it ignored).
bool PrintSwitch(const TProfile& program, const char* key) {
  const QString value = QString::fromStdString(program.GetString(kFileIoSection, key, "TRUE"));
  return value.trimmed().compare(QStringLiteral("FALSE"), Qt::CaseInsensitive) != 0;
}

// The plot of the current window, when it can print: the spectrum view or one of the other
// plot views; its print job.
struct TPrintable {
  TPlotBase* plot = nullptr;
  TPrintJob job;
};
TPrintable CurrentPrintable(const TViewWindows& windows, const QMdiArea& mdi) {
  TPrintable printable;
  QMdiSubWindow* current = mdi.currentSubWindow();
  if (TSpectrumWindow* spectrum = windows.Spectrum();
      spectrum && windows.KindOf(current) == kWindowSpectrum) {
    printable.plot = spectrum->Plot();
    printable.job = spectrum->Plot()->PrintJob();
  } else if (current && current->widget()) {
    if (TViewPlot* view = current->widget()->findChild<TViewPlot*>()) {
      printable.plot = view;
      printable.job = view->PrintJob();
    }
  }
  return printable;
}

}  // namespace

QPrinter& TMainWin::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // A spectrum is wider than high.
    printer_->setPageOrientation(QPageLayout::Landscape);
  }
  return *printer_;
}

TPrintJob TMainWin::ViewPrintJob() const {
  const TPrintable printable = CurrentPrintable(*windows_, *mdi_);
  if (!printable.plot) return {};
  TPrintJob job = printable.job;
  TPlotBase::ApplyPrintOptions(pendingPrint_ ? *pendingPrint_ : core_.Settings().print, job);
  const TProfile& program = core_.ProgramProfile();
  job.printSettings = PrintSwitch(program, kPrintSettingsInfo);
  job.printTitle = PrintSwitch(program, kPrintPlotTitle);
  return job;
}

bool TMainWin::PrintViewCommand() {
  // The cancel dialog lets events through; a second print must not start inside the first.
  if (printing_) return false;
  TPrintJob job = ViewPrintJob();
  TPlotBase* plot = CurrentPrintable(*windows_, *mdi_).plot;
  if (job.viewName.empty() || !plot) return false;
  const std::string annotation1 = job.annotation1, annotation2 = job.annotation2;
  if (!TPlotBase::AskAnnotations(this, job)) return false;
  // The lines the user typed are kept for the next print and the settings.
  if (job.annotation1 != annotation1 || job.annotation2 != annotation2) {
    TPrintOptions changed = pendingPrint_ ? *pendingPrint_ : core_.Settings().print;
    changed.annotation1 = job.annotation1;
    changed.annotation2 = job.annotation2;
    pendingPrint_ = changed;
  }
  QPrinter& printer = Printer();
  printer.setDocName(QString::fromStdString(job.viewName));
  bool chosen = false;
  if (options_.printDialog) {
    chosen = options_.printDialog(printer, this);
  } else {
    QPrintDialog dialog(&printer, this);
    chosen = dialog.exec() == QDialog::Accepted;
  }
  if (!chosen) return false;
  printing_ = true;
  TPrintAbortDialog abort(this, job.viewName);
  abort.Open();
  const bool printed = plot->Print(printer, job, abort.Poll());
  printing_ = false;
  return printed;
}

bool TMainWin::PrinterSetupCommand() {
  QPageSetupDialog dialog(&Printer(), this);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace orvanix
