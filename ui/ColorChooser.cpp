#include "ui/ColorChooser.h"

#include <QColorDialog>

namespace orvanix {

std::array<uint32_t, TColorChooser::kCustomColors>& TColorChooser::CustomColors() {
  static std::array<uint32_t, kCustomColors> colors = [] {
    std::array<uint32_t, kCustomColors> white{};
    white.fill(0x00FFFFFFu);
    return white;
  }();
  return colors;
}

void TColorChooser::LoadCustomColors() {
  const auto& colors = CustomColors();
  for (int i = 0; i < kCustomColors; ++i) {
    QColorDialog::setCustomColor(i, ColorFromRef(colors[static_cast<size_t>(i)]));
  }
}

void TColorChooser::KeepCustomColors() {
  auto& colors = CustomColors();
  for (int i = 0; i < kCustomColors; ++i) {
    colors[static_cast<size_t>(i)] = RefFromColor(QColorDialog::customColor(i));
  }
}

bool TColorChooser::Choose(QWidget* parent, uint32_t& colorRef) {
  LoadCustomColors();
  QColorDialog dialog(ColorFromRef(colorRef), parent);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  KeepCustomColors();
  if (!accepted || !dialog.selectedColor().isValid()) return false;
  colorRef = RefFromColor(dialog.selectedColor());
  return true;
}

}  // namespace orvanix
