// TImportDialog (DIALOG_IMPORT, "File Import"): the source format, the sampling rate,
// channels and precision of the new document, the header to skip and how values become
// samples (rescale, truncate, or defined values with units and axis labels). OK checks the
// rate (> 0) and, with a header, its size (>= 0). For WFT the file's header decides the
// channels, precision, header and scaling, whose controls are disabled.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/TransferFormats.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TImportDialog : public TDialogBase {
 public:
  TImportDialog(QWidget* parent, const TImportOptions& current);
  const TImportOptions& Result() const { return result_; }

  struct Fields {
    QComboBox* type = nullptr;
    QLineEdit* rate = nullptr;
    QRadioButton* mono = nullptr;
    QRadioButton* stereo = nullptr;
    QRadioButton* precision[3] = {};  // 8, 16, 24 bits
    QRadioButton* noHeader = nullptr;
    QRadioButton* header = nullptr;
    QLineEdit* headerSize = nullptr;
    QLabel* headerUnit = nullptr;
    QRadioButton* rescale = nullptr;
    QRadioButton* truncate = nullptr;
    QRadioButton* define = nullptr;
    QLineEdit* dataValue = nullptr;
    QLineEdit* equalsValue = nullptr;
    QComboBox* units = nullptr;
    QLineEdit* labelLinear = nullptr;
    QLineEdit* labelLog = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;

 private:
  void Show(const TImportOptions& o);
  void UpdateDependents();

  TImportOptions result_;
  Fields f_;
};

}  // namespace orvanix
