#include "app/gui/SpectrumWindow.h"

#include <QVBoxLayout>

#include "app/gui/MainWin.h"
#include "files/Configuration.h"
#include "views/OrvanePlot.h"
#include "views/SpectrumTools.h"
#include "views/ViewTexts.h"

namespace orvanix {

TSpectrumWindow::TSpectrumWindow(TAnalyzerCore& core, QWidget* parent)
    : QWidget(parent), core_(core), source_(core) {
  setWindowTitle(QString::fromUtf8(viewtext::kSpectrumWindowTitle));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  plot_ = new TOrvanePlot(&source_, this);
  layout->addWidget(plot_);
  setFocusProxy(plot_);
  ApplyCoreSettings();
  connect(plot_, &TOrvanePlot::OptionsChanged, this, [this] { ownOptions_ = plot_->Options(); });
  connect(plot_, &TOrvanePlot::PropertiesRequested, this, &TSpectrumWindow::PropertiesRequested);
  connect(plot_, &TOrvanePlot::OverlaysRequested, this, &TSpectrumWindow::OverlaysRequested);
  connect(plot_, &TOrvanePlot::HelpRequested, this, &TSpectrumWindow::HelpRequested);
  connect(plot_, &TOrvanePlot::ClearSpectrumRequested, this, &TSpectrumWindow::ClearRequested);
  // A data link keeping RPM traces draws their track at the clicked frequency.
  connect(plot_, &TOrvanePlot::ClickedAtFrequency, this,
          [this](double hz) { core_.ShowAtFrequency(hz); });
  // Through the frame when there is one, so that its checks and reporting apply.
  auto run = [this](int32_t command) {
    if (auto* frame = qobject_cast<TMainWin*>(window())) {
      frame->RunCommand(command);
    } else if (core_.IsEnabled(command)) {
      core_.Execute(command);
    }
  };
  connect(plot_, &TOrvanePlot::InverseFftRequested, this, [run] { run(kCmdInverseFft); });
  connect(plot_, &TOrvanePlot::BandwidthQRequested, this, [run] { run(kCmdBandwidthQ); });
  // Peak search, readout, wheel zoom, marker snapping and CSV (markers are settings).
  auto* tools = new TSpectrumTools(plot_, &source_);
  connect(tools, &TSpectrumTools::MarkersChanged, this, [this](const TMarkerSettings& markers) {
    core_.ChangeSettings([&markers](TAnalyzerSettings& s) { s.markers = markers; },
                         SettingsOrigin::Dialog);
  });
}

TSpectrumWindow::~TSpectrumWindow() = default;

void TSpectrumWindow::ApplyCoreSettings() {
  const TAnalyzerSettings& s = core_.Settings();
  plot_->SetOptions(ownOptions_ ? *ownOptions_ : s.spectrumPlot);
  plot_->SetMarkers(s.markers);
  // Overlay files live in the configured folder; text exports start in the last-used one.
  const std::string& overlays = s.paths.folders[kFolderOverlay];
  plot_->SetOverlayDirectory(overlays.empty() ? std::string(".") : overlays);
  plot_->SetTextDirectory(core_.LastFolder(kFolderLog));
}

void TSpectrumWindow::BlockProcessed(double analysisTimeSecs) {
  plot_->Notify(analysisTimeSecs);
}

void TSpectrumWindow::EngineRebuilt() {
  plot_->SourceChanged();
}

void TSpectrumWindow::SpectraReset() {
  plot_->update();
}

void TSpectrumWindow::StateChanged() {
  plot_->update();
}

void TSpectrumWindow::SettingsChanged() {
  ApplyCoreSettings();
  plot_->SourceChanged();
}

}  // namespace orvanix
