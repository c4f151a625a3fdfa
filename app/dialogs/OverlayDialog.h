// TOverlayDialog: "Overlay Management" (DIALOG_OVERLAY): which of the four stored overlays
// of each pane of the spectrum view are shown, their trace colours and the width of the
// legend in characters (4 ... 24). Each slot shows the legend of its file in the overlay
// folder ("L1.ovl" ... for the first pane, "R1.ovl" ... for the second); a slot without a
// file can be switched off but not on.
#pragma once

#include <array>
#include <string>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"
#include "views/SpectrumOptions.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace orvanix {

// The file of an overlay slot: pane 0 or 1, slot 1 ... 4.
std::string OverlayFilePath(const std::string& folder, int pane, int slot);

class TOverlayDialog : public TDialogBase {
 public:
  TOverlayDialog(QWidget* parent, const TSpectrumPlotOptions& current,
                 const std::string& overlayFolder);

  const TSpectrumPlotOptions& Result() const { return result_; }

  struct Fields {
    std::array<std::array<QCheckBox*, kOverlaySlots>, 2> show{};
    std::array<std::array<QLabel*, kOverlaySlots>, 2> legend{};
    std::array<TColorButton*, kOverlaySlots> color{};
    QLineEdit* legendSize = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TSpectrumPlotOptions& s);

  TSpectrumPlotOptions result_;
  std::array<std::array<bool, kOverlaySlots>, 2> hasFile_{};
  Fields f_;
};

}  // namespace orvanix
