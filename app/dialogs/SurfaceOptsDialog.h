// TSurfaceOptsDialog: "3-D Surface Display Options": update interval, top and range of the
// traces, full or custom frequency span, background and line colours, and the colouring
// ("Multicolor Gradient (slower)" or "Solid (faster)").
#pragma once

#include "app/dialogs/PlotOptsDialogBase.h"
#include "files/SettingsRecords.h"

class QRadioButton;

namespace orvanix {

class TSurfaceOptsDialog : public TPlotOptsDialogBase {
 public:
  TSurfaceOptsDialog(QWidget* parent, const TSurfaceOptions& current, bool logAmplitude,
                     double highestHz);
  const TSurfaceOptions& Result() const { return result_; }

  struct Fields {
    QRadioButton* gradient = nullptr;
    QRadioButton* solid = nullptr;
    TColorButton* backgroundColor = nullptr;
    TColorButton* lineColor = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override { Show(TSurfaceOptions{}); }

 private:
  QLayout* BuildLayout();
  void Show(const TSurfaceOptions& s);

  TSurfaceOptions result_;
  Fields f_;
};

}  // namespace orvanix
