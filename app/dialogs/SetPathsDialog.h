// TSetPathsDialog: "Set Paths" (DIALOG_PATHS): the nine folders of the program (wave,
// temporary, configuration, calibration, microphone, overlay, data logging,
// reverberation and macro files). OK keeps the texts as typed, without checks; the caller
// also makes them the last-used folders.
#pragma once

#include <array>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QLineEdit;

namespace orvanix {

class TSetPathsDialog : public TDialogBase {
 public:
  TSetPathsDialog(QWidget* parent, const TPaths& current);

  const TPaths& Result() const { return result_; }
  const std::array<QLineEdit*, kFolderCount>& Fields() const { return edits_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TPaths& paths);
  void ChooseFolder(size_t index);

  TPaths result_;
  std::array<QLineEdit*, kFolderCount> edits_{};
};

}  // namespace orvanix
