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

 private:
  TCommandMenus& commands_;
  int32_t mode_ = 0;
  QLabel* position_ = nullptr;
  QAction* positionAction_ = nullptr;
};

}  // namespace orvanix
