#include "app/gui/PlotViewWindows.h"

#include <QToolBar>
#include <QVBoxLayout>
#include <functional>

#include "app/gui/GuiRegistry.h"
#include "files/Configuration.h"
#include "views/PhasePlot.h"
#include "views/PlotViewTexts.h"
#include "views/SeriesPlot.h"
#include "views/Spectrogram.h"
#include "views/SurfacePlot.h"

#ifdef ORVANIX_HAVE_DIALOGS
#include "app/dialogs/PlotViewDialogs.h"
#endif

namespace orvanix {

// ---------------------------------------------------------------------------- TPlotViewWindow

TPlotViewWindow::TPlotViewWindow(TAnalyzerCore& core, int32_t optionsCommand, QWidget* parent)
    : QWidget(parent), core_(core), source_(core, this, optionsCommand) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

void TPlotViewWindow::SetPlot(TViewPlot* plot) {
  layout()->addWidget(plot);
  setFocusProxy(plot);
  setWindowTitle(plot->windowTitle());
  connect(plot, &TViewPlot::PropertiesRequested, this, [this] { source_.ShowProperties(); });
}

void TPlotViewWindow::DocumentChanged() {
  source_.DocumentTouched();
  update();
}

// ---------------------------------------------------------------------------- slices

namespace {

// The slice store of the spectrogram and the surface, filled from the core.
template <class Plot>
int SliceCountOf(Plot* plot) {
  plot->EnsureLayout();
  return plot->Slices();
}

template <class Plot>
bool SliceTimesOf(Plot* plot, double& first, double& last) {
  TTraceStore& store = plot->Store();
  bool any = false;
  for (int n = store.Count() - 1; n >= 0; --n) {
    if (!store.Slice(n).valid) continue;
    const double t = store.Slice(n).timeSecs;
    if (!any) first = t;
    last = t;
    any = true;
  }
  return any;
}

template <class Plot>
void ClearSlicesOf(Plot* plot) {
  plot->ClearImage();
  plot->Store().Reset(SliceCountOf(plot));
}

}  // namespace

// ---------------------------------------------------------------------------- spectrogram

TSpectrogramWindow::TSpectrogramWindow(TAnalyzerCore& core, QWidget* parent)
    : TPlotViewWindow(core, kCmdSpectrogramOptions, parent) {
  plot_ = new TSpectrogram(&source_, this);
  plot_->SetOptions(core.Settings().spectrogram);
  SetPlot(plot_);
  connect(plot_, &TSpectrogram::HelpRequested, this, [this] { source_.ShowHelp(); });
}

void TSpectrogramWindow::BlockProcessed(double analysisTimeSecs) {
  // A picture rebuilt from slices stays until a run starts a new one (SpectraReset): a
  // spectrum computed at a clicked time or averaged over a segment adds no line to it.
  if (plot_->Store().Filled()) return;
  plot_->Notify(analysisTimeSecs);
}

void TSpectrogramWindow::EngineRebuilt() {
  plot_->SourceChanged();
}

void TSpectrogramWindow::SpectraReset() {
  // A new run (start, rewind, Clear All Views) starts a new picture.
  plot_->ClearImage();
}

int TSpectrogramWindow::SliceCount() const {
  return SliceCountOf(plot_);
}
bool TSpectrogramWindow::SliceTimes(double& first, double& last) const {
  return SliceTimesOf(plot_, first, last);
}
void TSpectrogramWindow::ClearSlices() {
  ClearSlicesOf(plot_);
}
void TSpectrogramWindow::TakeSlice(int n, double time, const TSpectralData* primary,
                                   const TSpectralData* secondary) {
  plot_->Store().Set(n, time, primary, secondary);
}
void TSpectrogramWindow::SlicesDone() {
  plot_->ReplayStore();
}

void TSpectrogramWindow::SettingsChanged() {
  if (!(plot_->Options() == core_.Settings().spectrogram)) {
    plot_->SetOptions(core_.Settings().spectrogram);
  }
  plot_->SourceChanged();
}

// ---------------------------------------------------------------------------- phase

TPhaseWindow::TPhaseWindow(TAnalyzerCore& core, QWidget* parent)
    : TPlotViewWindow(core, kCmdPhaseOptions, parent) {
  plot_ = new TPhasePlot(&source_, this);
  plot_->SetOptions(core.Settings().phasePlot);
  // The zoom buttons along the frequency axis and the options button.
  auto* tools = new QToolBar(this);
  tools->setIconSize(QSize(16, 16));
  struct Button {
    const char* text;
    const char* tip;
    std::function<void()> run;
  };
  const Button buttons[] = {
      {"[ ]", viewtext::kZoomInFrequency, [this] { plot_->ArmDragZoom(); }},
      {"<->", viewtext::kZoomFull, [this] { plot_->ZoomFull(); }},
      {"x2", viewtext::kZoomIn2, [this] { plot_->ZoomIn2(); }},
      {"/2", viewtext::kZoomOut2, [this] { plot_->ZoomOut2(); }},
      {"...", viewtext::kPhaseOptionsButton, [this] { source_.ShowProperties(); }},
  };
  for (const Button& b : buttons) {
    QAction* action = tools->addAction(QString::fromUtf8(b.text));
    action->setToolTip(QString::fromUtf8(b.tip));
    connect(action, &QAction::triggered, this, b.run);
  }
  layout()->addWidget(tools);
  SetPlot(plot_);
  connect(plot_, &TPhasePlot::HelpRequested, this, [this] { source_.ShowHelp(); });
}

void TPhaseWindow::BlockProcessed(double analysisTimeSecs) {
  plot_->Notify(analysisTimeSecs);
}

void TPhaseWindow::EngineRebuilt() {
  plot_->SourceChanged();
}

void TPhaseWindow::SpectraReset() {
  plot_->update();
}

void TPhaseWindow::SettingsChanged() {
  plot_->SetOptions(core_.Settings().phasePlot);
}

// ---------------------------------------------------------------------------- time series

TSeriesWindow::TSeriesWindow(TAnalyzerCore& core, QWidget* parent)
    : TPlotViewWindow(core, kCmdTimeSeriesOptions, parent) {
  plot_ = new TSeriesPlot(&source_, this);
  plot_->SetOptions(core.Settings().series);
  SetPlot(plot_);
  // Autoscale changes the plot top: it becomes a setting like one made in the dialog.
  connect(plot_, &TSeriesPlot::OptionsChanged, this, [this] {
    const TSeriesOptions options = plot_->Options();
    core_.ChangeSettings([&options](TAnalyzerSettings& s) { s.series = options; },
                         SettingsOrigin::Dialog);
  });
}

void TSeriesWindow::BlockProcessed(double analysisTimeSecs) {
  plot_->Notify(analysisTimeSecs);
}

void TSeriesWindow::SeriesRefreshed() {
  plot_->Notify(core_.AnalysisTime());
}

void TSeriesWindow::EngineRebuilt() {
  plot_->SourceChanged();
}

void TSeriesWindow::SettingsChanged() {
  if (!(plot_->Options() == core_.Settings().series)) plot_->SetOptions(core_.Settings().series);
  plot_->update();
}

void TSeriesWindow::DocumentChanged() {
  TPlotViewWindow::DocumentChanged();
  plot_->SourceChanged();
}

void TSeriesWindow::PositionChanged(double positionSecs) {
  (void)positionSecs;
  plot_->update();
}

void TSeriesWindow::SelectionChanged() {
  plot_->update();
}

void TSeriesWindow::ComputedSeriesChanged() {
  // A new series is shown whole; the document keeps the stretch it showed.
  if (plot_->ComputedMode()) {
    plot_->ResetZoom();
  } else {
    plot_->update();
  }
}

void TSeriesWindow::ShowTimeRange(double startSecs, double stopSecs) {
  plot_->ShowSpan(startSecs, stopSecs);
}

void TSeriesWindow::StateChanged() {
  // Entering or leaving Real-Time mode switches between the block and the document.
  plot_->SourceChanged();
}

// ---------------------------------------------------------------------------- 3-D surface

TSurfaceWindow::TSurfaceWindow(TAnalyzerCore& core, QWidget* parent)
    : TPlotViewWindow(core, kCmdSurfaceOptions, parent) {
  plot_ = new TSurfacePlot(&source_, this);
  plot_->SetOptions(core.Settings().surface);
  SetPlot(plot_);
  connect(plot_, &TSurfacePlot::HelpRequested, this, [this] { source_.ShowHelp(); });
}

void TSurfaceWindow::BlockProcessed(double analysisTimeSecs) {
  if (plot_->Store().Filled()) return;  // as for the spectrogram
  plot_->Notify(analysisTimeSecs);
}

void TSurfaceWindow::EngineRebuilt() {
  plot_->SourceChanged();
}

void TSurfaceWindow::SpectraReset() {
  plot_->ClearImage();
}

int TSurfaceWindow::SliceCount() const {
  return SliceCountOf(plot_);
}
bool TSurfaceWindow::SliceTimes(double& first, double& last) const {
  return SliceTimesOf(plot_, first, last);
}
void TSurfaceWindow::ClearSlices() {
  ClearSlicesOf(plot_);
}
void TSurfaceWindow::TakeSlice(int n, double time, const TSpectralData* primary,
                               const TSpectralData* secondary) {
  plot_->Store().Set(n, time, primary, secondary);
}
void TSurfaceWindow::SlicesDone() {
  plot_->ReplayStore();
}

void TSurfaceWindow::SettingsChanged() {
  if (!(plot_->Options() == core_.Settings().surface)) plot_->SetOptions(core_.Settings().surface);
  plot_->SourceChanged();
}

// ---------------------------------------------------------------------------- registration

namespace {

template <class Window>
TWindowMaker Maker() {
  return [](TAnalyzerCore& core, TAnalyzerObserver*& observer) -> QWidget* {
    auto* window = new Window(core);
    observer = window;
    return window;
  };
}

}  // namespace

void RegisterPlotViews() {
  RegisterResultHooks();
  RegisterWindow(kWindowSpectrogram, Maker<TSpectrogramWindow>());
  RegisterWindow(kWindowPhase, Maker<TPhaseWindow>());
  RegisterWindow(kWindowSurface, Maker<TSurfaceWindow>());
  RegisterWindow(kWindowTimeSeries, Maker<TSeriesWindow>());
#ifdef ORVANIX_HAVE_DIALOGS
  RegisterDialog(kCmdSpectrogramOptions, RunSpectrogramOptionsDialog);
  RegisterDialog(kCmdPhaseOptions, RunPhaseOptionsDialog);
  RegisterDialog(kCmdSurfaceOptions, RunSurfaceOptionsDialog);
  RegisterDialog(kCmdTimeSeriesOptions, RunSeriesOptionsDialog);
#endif
}

}  // namespace orvanix
