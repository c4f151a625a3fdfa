// TSpectrogramOptsDialog: "Spectrogram Display Options": update interval, colour-scale top
// and range, full or custom frequency span, scroll direction, colour scheme with the two
// custom end colours, and the intensity control (which only palette displays had: moving it
// shows the classic message and it stays where it was).
#pragma once

#include "app/dialogs/PlotOptsDialogBase.h"
#include "files/SettingsRecords.h"

class QRadioButton;
class QScrollBar;

namespace orvanix {

class TSpectrogramOptsDialog : public TPlotOptsDialogBase {
 public:
  TSpectrogramOptsDialog(QWidget* parent, const TSpectrogramOptions& current, bool logAmplitude,
                         double highestHz);
  const TSpectrogramOptions& Result() const { return result_; }

  struct Fields {
    QRadioButton* up = nullptr;
    QRadioButton* down = nullptr;
    QRadioButton* left = nullptr;
    QRadioButton* right = nullptr;
    QRadioButton* fullColor = nullptr;
    QRadioButton* grayScale = nullptr;
    QRadioButton* customColors = nullptr;
    TColorButton* minColor = nullptr;
    TColorButton* maxColor = nullptr;
    QScrollBar* intensity = nullptr;
  };
  const Fields& Widgets() const { return f_; }
  // The radio buttons "Up", "Down", "Left", "Right" and the `Direction` values: the image
  // moves up (newest line at the bottom, 2), down (3), left (newest at the right, 0) or
  // right (1).
  static int32_t DirectionOfButton(int button);

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Show(const TSpectrogramOptions& s);

  TSpectrogramOptions result_;
  Fields f_;
};

}  // namespace orvanix
