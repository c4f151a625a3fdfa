// TAnnotationsDialog: "Annotations and Margins" (File > Annotations and Margins...), the
// "PrintOpts" record of printed views: the two annotation lines printed under the title, the
// page margins in inches, and the comment block printed under the plot. OK refuses margins
// outside 0 ... 3 inches and more than ten comment lines.
#pragma once

#include <array>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace orvanix {

// The longest annotation and comment line the configuration keeps (its buffers hold one
// character more, for the terminator).
inline constexpr int kAnnotationChars = 79;
inline constexpr int kCommentChars = 255;
// Margins beyond this leave no page to print on.
inline constexpr double kMaxMarginInches = 3.0;

class TAnnotationsDialog : public TDialogBase {
 public:
  TAnnotationsDialog(QWidget* parent, const TPrintOptions& current);

  const TPrintOptions& Result() const { return result_; }

  struct Fields {
    QLineEdit* annotation1 = nullptr;
    QLineEdit* annotation2 = nullptr;
    std::array<QLineEdit*, 4> margins{};  // left, right, top, bottom
    QCheckBox* commentBlock = nullptr;
    QPlainTextEdit* comments = nullptr;  // one comment per line
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TPrintOptions& options);

  TPrintOptions result_;
  Fields f_;
};

}  // namespace orvanix
