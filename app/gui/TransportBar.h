// TTransportBar: the toolbar strip (36 pixels high) across the top of the frame. Its
// buttons depend on the mode, so it is rebuilt whenever the mode changes:
//  - Real-Time: Run, Stop;
//  - Post-Processing: Run, Stop, Rewind;
//  - Recorder: Record, Stop, Play, Rewind.
// The buttons are the transport commands' actions (901 run or record, 902 stop, 903 play,
// 904 rewind), so they are enabled exactly like their keys. An Open button comes first, and
// outside Real-Time mode the document position shows at the right.
#pragma once

#include <QIcon>
#include <QToolBar>

class QLabel;

namespace orvanix {

class TCommandMenus;

class TTransportBar : public QToolBar {
  Q_OBJECT

 public:
  static constexpr int kHeight = 36;

  TTransportBar(TCommandMenus& commands, QWidget* parent = nullptr);

  // Puts the mode's buttons on the bar.
  void Rebuild(int32_t mode);
  int32_t Mode() const { return mode_; }
  // The commands on the bar now, left to right.
  std::vector<int32_t> Commands() const;
  // The position text ("%s / %s" of position and length), empty to hide it.
  void SetPosition(const QString& text);
  QString PositionText() const;

  // Drawn icons: a red disc for recording.
  static QIcon RecordIcon();
  // The play, stop and rewind glyphs in `color`: drawn rather than taken from the style,
  // whose media icons are fixed dark pictures that vanish on a dark desktop theme.
  enum class Glyph { kPlay, kStop, kRewind };
  static QIcon GlyphIcon(Glyph glyph, const QColor& color);

 protected:
  // A new desktop palette (a switch to a dark theme) redraws the glyphs in its colours.
  void changeEvent(QEvent* event) override;

 private:
  // The icon of a transport command in `mode` and the bar's palette.
  QIcon IconFor(int32_t command, int32_t mode) const;

  TCommandMenus& commands_;
  int32_t mode_ = 0;
  QLabel* position_ = nullptr;
  QAction* positionAction_ = nullptr;
};

}  // namespace orvanix
