// The colour dialog of the plot option dialogs: opened in full with the current colour,
// with sixteen custom colours that are kept while the program runs (not stored).
// Colours of the settings are 0x00BBGGRR values.
#pragma once

#include <QColor>
#include <array>
#include <cstdint>

class QWidget;

namespace orvanix {

inline QColor ColorFromRef(uint32_t colorRef) {
  return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}
inline uint32_t RefFromColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
         (static_cast<uint32_t>(color.blue()) << 16);
}

class TColorChooser {
 public:
  static constexpr int kCustomColors = 16;
  // Shows the dialog on `colorRef`; true and the new colour when the user chose one.
  static bool Choose(QWidget* parent, uint32_t& colorRef);
  // The custom colours of this run (white until the user sets them).
  static std::array<uint32_t, kCustomColors>& CustomColors();
  // Hands the custom colours to a colour dialog before it opens, and takes them back after
  // (what Choose does around the dialog).
  static void LoadCustomColors();
  static void KeepCustomColors();
};

}  // namespace orvanix
