// The segment analyses in the frame: "Equivalent Noise Level Options" before each Leq, and
// the commands of the views' popup menus that reach the segment module.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QComboBox;
class QLineEdit;

namespace orvanix {

class TAnalyzerCore;

// `DIALOG_LEQ_OPTIONS`: the reference time (whole seconds) and the weighting of the Leq.
class TLeqOptionsDialog : public TDialogBase {
 public:
  TLeqOptionsDialog(QWidget* parent, const TLeqSettings& settings);
  const TLeqSettings& Settings() const { return settings_; }
  QLineEdit* ReferenceTime() const { return time_; }
  QComboBox* Weighting() const { return weighting_; }

 protected:
  bool Validate() override;

 private:
  TLeqSettings settings_;
  QLineEdit* time_ = nullptr;
  QComboBox* weighting_ = nullptr;
};

// The Leq command (810): the options dialog, then the Leq of the selected segment with them
// (kept in the settings). False when cancelled or refused.
bool RunLeqCommand(QWidget* parent, TAnalyzerCore& core);

// Registers the Leq dialog with the frame.
void RegisterSegmentDialogs();

}  // namespace orvanix
