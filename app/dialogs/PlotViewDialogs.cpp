#include "app/dialogs/PlotViewDialogs.h"

#include "app/core/AnalyzerCore.h"
#include "app/dialogs/PhaseOptsDialog.h"
#include "app/dialogs/SeriesOptsDialog.h"
#include "app/dialogs/SpectrogramOptsDialog.h"
#include "app/dialogs/SurfaceOptsDialog.h"
#include "files/Configuration.h"

namespace orvanix {

namespace {

template <class Dialog, class Member>
bool RunOptions(QWidget* parent, TAnalyzerCore& core, Member member) {
  core.Stop();
  const TAnalyzerSettings& settings = core.Settings();
  Dialog dialog(parent, settings.*member, settings.scaling.ampScale != 0,
                static_cast<double>(settings.processing.Nyquist()));
  if (dialog.exec() != QDialog::Accepted) return false;
  TAnalyzerSettings copy = core.Settings();
  copy.*member = dialog.Result();
  return core.ApplySettings(copy, SettingsOrigin::Dialog);
}

}  // namespace

bool RunSpectrogramOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  return RunOptions<TSpectrogramOptsDialog>(parent, core, &TAnalyzerSettings::spectrogram);
}

}  // namespace orvanix

namespace orvanix {

bool RunPhaseOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  return RunOptions<TPhaseOptsDialog>(parent, core, &TAnalyzerSettings::phasePlot);
}

}  // namespace orvanix

namespace orvanix {

bool RunSeriesOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  return RunOptions<TSeriesOptsDialog>(parent, core, &TAnalyzerSettings::series);
}

}  // namespace orvanix

namespace orvanix {

bool RunSurfaceOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  return RunOptions<TSurfaceOptsDialog>(parent, core, &TAnalyzerSettings::surface);
}

}  // namespace orvanix
