// TChannelMapDialog ("Audio File Channels"): how a file with float samples or more than two
// channels becomes a 16 or 24-bit document: the file's channel for the left and the right
// (or none: a mono document), the precision, and whether 1.0 or the loudest sample is full
// scale.
#pragma once

#include <string>

#include "app/dialogs/DialogBase.h"
#include "files/ForeignAudio.h"

class QComboBox;
class QRadioButton;

namespace orvanix {

inline constexpr const char* kChannelMapTitle = "Audio File Channels";

class TChannelMapDialog : public TDialogBase {
 public:
  TChannelMapDialog(QWidget* parent, const std::string& path, const TForeignInfo& info);
  const TChannelMap& Result() const { return result_; }

  struct Fields {
    QComboBox* left = nullptr;
    QComboBox* right = nullptr;  // item 0: none
    QRadioButton* bits16 = nullptr;
    QRadioButton* bits24 = nullptr;
    QRadioButton* unitFullScale = nullptr;
    QRadioButton* peakFullScale = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;

 private:
  TChannelMap result_;
  Fields f_;
};

}  // namespace orvanix
