// TMeasureModule: the measurement utilities inside the analyzer core. It owns the noise
// figure's two commands (their checks follow the polarity), knows the high tone the IMD
// window centres the spectrum view on, and runs the data logger.
//
// Registered as "measure" (RegisterMeasureModule, app/Modules.cpp). The measurement windows
// themselves live in the frame (MeasureWindows.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app/core/CoreModule.h"
#include "files/SettingsRecordsGenerator.h"

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

 private:
  // The generator settings of the last configuration loaded with the generator open.
  std::optional<TGeneratorSettings> configGenerator_;
};

// Registers the module kind (once per process).
void RegisterMeasureModule();

}  // namespace orvanix
