// TBatchModule: `tessiva --headless --batch [--json] FILE...`, the analysis of many wave
// files in one run, each to its end as `tessiva --headless FILE.wav` analyses one, with one
// JSON line per file on stdout (docs/batch.md):
//
//   {"file": ..., "ok": true, "error": null, "errors": [...], "settings": {...},
//    "blocks": N, "seconds": S, "peaks": [...], "measurements": [...], "levels": {...}}
//
// A file that cannot be read or analysed gets its line with "ok": false and the reasons;
// the others go on. Exit status 0 when every file was analysed, 1 when any failed.
// Registered as "batch" (app/Modules.cpp).
#pragma once

#include <string>
#include <vector>

#include "app/core/CoreModule.h"

namespace orvanix {

class TBatchModule : public TCoreModule {
 public:
  static constexpr std::string_view kName = "batch";
  static TModuleInfo Info();

  explicit TBatchModule(TAnalyzerCore& core);

  std::string_view Name() const override { return kName; }

  // The line of one file: analyses it (the open document is replaced) and describes it.
  // `ok` tells whether it was analysed.
  std::string AnalyseToJson(const std::string& path, bool& ok);

  // ---- TCoreModule ----
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  void TakeCommonHeadlessOptions(const THeadlessOptions& options) override;
  std::optional<int> HeadlessRun() override;

 private:
  bool batch_ = false;
  std::vector<std::string> files_;
};

}  // namespace orvanix
