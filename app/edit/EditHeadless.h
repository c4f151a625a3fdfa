// The edit module's headless options: import and export, the segment edits on a selected
// stretch, Decimate and Merge, so that batch users can script them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/core/CoreModule.h"
#include "files/SettingsRecords.h"
#include "files/TransferFormats.h"

namespace orvanix {

const std::span<const THeadlessOption> EditHeadlessOptions();

// What the command line asked for, in its order.
struct THeadlessEdits {
  enum class Kind { Cut, Mute, Gain, Filter };
  struct Edit {
    Kind kind = Kind::Cut;
    double leftDb = 0, rightDb = 0;
    TFilterSettings filter;
  };
  std::vector<Edit> edits;
  std::optional<std::pair<double, double>> selection;  // seconds
  std::optional<std::string> importFile;
  TImportOptions import;
  std::optional<std::string> exportFile;
  TExportOptions exportOptions;
  uint32_t decimate = 0;
  std::optional<std::pair<std::string, std::string>> merge;
  int32_t taps = 81;
  std::string output;
  std::string argument;
  int32_t savedMakeBackup = -1;  // the user's `MakeBackup`, restored after the run

  bool Any() const { return !edits.empty() || importFile || exportFile || decimate || merge; }
};

// Parses one option into `edits`; an error text, or empty when accepted.
std::string ParseEditOption(std::string_view name, const std::string& value, THeadlessEdits& edits);
// A format given by name ("ascii-int", "ascii-real", "bin8", "bin16", "bin32", "float",
// "wft") or code (0 ... 6); -1 when unknown.
int32_t ParseTransferFormat(const std::string& text);

}  // namespace orvanix
