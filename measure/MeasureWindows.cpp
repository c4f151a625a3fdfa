#include "measure/MeasureWindows.h"

#include <QMdiSubWindow>

#include "app/gui/GuiRegistry.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "measure/AnalysisView.h"
#include "measure/DataLogDialog.h"
#include "measure/MeasureModule.h"
#include "measure/SegmentDialogs.h"

namespace orvanix {

namespace {

// Where a window without a stored placement is made; its minimum size then applies.
const QRect kFirstGeometry(300, 200, 60, 42);
// The IMD window shows the spectrum this far on either side of the high tone.
constexpr float kImdViewHalfSpanHz = 250.f;

constexpr WindowKind kMeasurementWindows[] = {
    kWindowThd,  kWindowThdN,        kWindowImd,           kWindowSnr,           kWindowSinad,
    kWindowSfdr, kWindowNoiseFigure, kWindowPeakFrequency, kWindowPeakAmplitude, kWindowTotalPower};
constexpr int32_t kMeasurementCommands[] = {kCmdThd,           kCmdThdN,          kCmdImd,
                                            kCmdSnr,           kCmdSinad,         kCmdSfdr,
                                            kCmdNoiseFigureLR, kCmdNoiseFigureRL, kCmdPeakFrequency,
                                            kCmdPeakAmplitude, kCmdTotalPower};

AnalysisType AnalysisOfWindow(WindowKind kind) {
  return static_cast<AnalysisType>(kind - kWindowThd);
}

bool OpenMeasurement(TViewWindows& windows, TAnalyzerCore& core, WindowKind kind) {
  TWindowPlacement stored;
  const bool placed = ReadPlacement(core.ProgramProfile(), kPlacementKeys[kind], stored);
  if (!windows.Open(kind)) return false;
  if (!placed) {
    if (QMdiSubWindow* window = windows.SubWindow(kind)) window->setGeometry(kFirstGeometry);
  }
  return true;
}

// The spectrum view's span becomes the high tone +-250 Hz. Options the plot changed
// itself go to the core with the new span, so that neither is lost.
void CentreSpectrumOnImd(TViewWindows& windows, TAnalyzerCore& core) {
  const auto* module = core.FindModule<TMeasureModule>(TMeasureModule::kName);
  const float high = module ? module->ImdHighToneHz() : TMeasureModule::kImdDefaultHighToneHz;
  TSpectrumPlotOptions options = core.Settings().spectrumPlot;
  if (TSpectrumWindow* spectrum = windows.Spectrum(); spectrum && spectrum->OwnOptions()) {
    options = *spectrum->OwnOptions();
    spectrum->ForgetOwnOptions();
  }
  options.startFreqHz = high - kImdViewHalfSpanHz;
  options.stopFreqHz = high + kImdViewHalfSpanHz;
  core.ChangeSettings([&options](TAnalyzerSettings& s) { s.spectrumPlot = options; },
                      SettingsOrigin::Outside);
}

}  // namespace

bool RunMeasurementCommand(int32_t command, TViewWindows& windows, TAnalyzerCore& core) {
  const int32_t found = TViewWindows::KindOfCommand(command);
  if (found < kWindowThd || found > kWindowTotalPower) return false;
  const auto kind = static_cast<WindowKind>(found);
  if (const std::optional<int32_t> polarity = TMeasureModule::PolarityOfCommand(command)) {
    const bool wasOpen = windows.IsOpen(kind);
    const int32_t was = core.Settings().viewStatus.noiseFigurePolarity;
    if (wasOpen) windows.Close(kind);
    if (wasOpen && was == *polarity) return true;
    core.SetNoiseFigurePolarity(*polarity);
    return OpenMeasurement(windows, core, kind);
  }
  if (windows.IsOpen(kind)) {
    windows.Close(kind);
    return true;
  }
  if (!OpenMeasurement(windows, core, kind)) return false;
  if (kind == kWindowImd) CentreSpectrumOnImd(windows, core);
  return true;
}

void RegisterMeasureWindows() {
  for (WindowKind kind : kMeasurementWindows) {
    RegisterWindow(kind, [kind](TAnalyzerCore& core, TAnalyzerObserver*& observer) {
      auto* view = new TAnalysisView(core, AnalysisOfWindow(kind));
      observer = view;
      return static_cast<QWidget*>(view);
    });
  }
  for (int32_t command : kMeasurementCommands) {
    RegisterFrameCommand(command, [command](TViewWindows& windows, TAnalyzerCore& core) {
      return RunMeasurementCommand(command, windows, core);
    });
  }
  RegisterDataLogDialog();
  RegisterSegmentDialogs();
}

}  // namespace orvanix
