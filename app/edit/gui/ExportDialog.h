// TExportDialog (DIALOG_EXPORT, "File Export Options"): the data format, the channels to
// export and the decimation ratio (1 ... 50, an edit with a scroll bar). WFT holds the left
// channel undecimated, so it disables both; a mono document has its left channel only.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/TransferFormats.h"

class QCheckBox;
class QListWidget;

namespace orvanix {

class TExportDialog : public TDialogBase {
 public:
  TExportDialog(QWidget* parent, const TExportOptions& current, bool stereo);
  const TExportOptions& Result() const { return result_; }

  struct Fields {
    QListWidget* format = nullptr;
    QCheckBox* left = nullptr;
    QCheckBox* right = nullptr;
    TNumberScrollEdit* ratio = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;

 private:
  void UpdateDependents();

  bool stereo_;
  TExportOptions result_;
  Fields f_;
};

}  // namespace orvanix
