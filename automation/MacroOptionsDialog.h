// TMacroOptionsDialog ("Macro Command Processor Options"): the output file a run starts
// with, the program that "View Output..." starts, and whether a run empties the output file
// (Overwrite) or adds to it (Append). Tests fill the fields and call OnOk() / OnDefaults().
#pragma once

#include <string>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QLineEdit;
class QRadioButton;

namespace orvanix {

class TFileChooser;

class TMacroOptionsDialog : public TDialogBase {
 public:
  // `folder`: the macro folder (the default output file lies there); `chooser` answers the
  // two Pick... buttons (nullptr: Qt's dialogs).
  TMacroOptionsDialog(QWidget* parent, const TMacroOptions& options, const std::string& folder,
                      TFileChooser* chooser);

  const TMacroOptions& Result() const { return result_; }
  QLineEdit* OutputEdit() const { return output_; }
  QLineEdit* ViewerEdit() const { return viewer_; }
  QRadioButton* OverwriteButton() const { return overwrite_; }
  QRadioButton* AppendButton() const { return append_; }
  // The Pick... buttons.
  void PickOutput();
  void PickViewer();

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  std::string Pick(const char* title, const char* filter);

  TMacroOptions result_;
  std::string folder_;
  TFileChooser* chooser_;
  QLineEdit* output_ = nullptr;
  QLineEdit* viewer_ = nullptr;
  QRadioButton* overwrite_ = nullptr;
  QRadioButton* append_ = nullptr;
};

}  // namespace orvanix
