// TMeasureModule: the measurement utilities inside the analyzer core. It owns the noise
// figure's two commands (their checks follow the polarity), knows the high tone the IMD
// window centres the spectrum view on, and runs the data logger.
//
// Registered as "measure" (RegisterMeasureModule, app/Modules.cpp). The measurement windows
// themselves live in the frame (MeasureWindows.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/CoreModule.h"
#include "files/SettingsRecordsGenerator.h"
#include "measure/MeasureKinds.h"

namespace orvanix {

class TMeasureModule : public TCoreModule {
 public:
  explicit TMeasureModule(TAnalyzerCore& core);
  ~TMeasureModule() override;

  static constexpr std::string_view kName = "measure";
  // The IMD high tone without a generator window.
  static constexpr float kImdDefaultHighToneHz = 7000.f;
  std::string_view Name() const override { return kName; }

  // ---- commands ----
  // Noise figure "Left vs Right" (290) and "Right vs Left" (291): checked while the window
  // is open with that polarity. Executed without a window (automation) they set the
  // polarity and leave the window to the frame.
  bool OwnsCommand(int32_t command) const override;
  bool Execute(int32_t command) override;
  bool IsChecked(int32_t command) const override;

  // The polarity a noise figure command stands for (6 or 7), or nothing.
  static std::optional<int32_t> PolarityOfCommand(int32_t command);

  // ---- IMD ----
  // The generator's IMD high tone when its window is open (8020 Hz for type 0, the user's
  // frequency for type 2, 7000 Hz for type 1), else 7000 Hz. The settings come from the
  // configuration the generator window was opened from, or the program settings file.
  float ImdHighToneHz() const;
  static float ImdHighToneHz(const TImdParams& imd);

  void ConfigurationLoaded(const TProfile& config) override;

  // ---- headless ----
  // --measure LIST: after the run, one line per measurement and display spectrum, in the
  // window's readout format ("THD: 1.11803 %"; with two spectra "THD (1): ..." and
  // "THD (2): ...").
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  int HeadlessReport() override;
  // The lines HeadlessReport prints for the kinds asked for.
  std::vector<std::string> MeasurementLines() const;

 private:
  std::vector<AnalysisType> headlessKinds_;
  // The generator settings of the last configuration loaded with the generator open.
  std::optional<TGeneratorSettings> configGenerator_;
};

// Registers the measurement and data log module kinds (once per process).
void RegisterMeasureModule();

}  // namespace orvanix
