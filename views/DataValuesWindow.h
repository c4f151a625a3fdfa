// TDataValuesWindow: "View Data Values" of the spectrum view: a window listing the values
// the view shows over its visible range, one row per bin (or band), with the columns of the
// view's text export (frequency, then the value of each shown trace in the display unit).
// "Refresh" reads the view again; "Copy" puts the list on the clipboard as the view's text
// export does. The window is the view's own and goes with it.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orvanix {

class TOrvanePlot;

class TDataValuesWindow : public QWidget {
 public:
  explicit TDataValuesWindow(TOrvanePlot* plot);

  // Reads the view's values again.
  void Refresh();

  QTableWidget* Table() const { return table_; }
  QPushButton* RefreshButton() const { return refresh_; }
  QPushButton* CopyButton() const { return copy_; }

 private:
  TOrvanePlot* plot_;
  QTableWidget* table_ = nullptr;
  QLabel* range_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* copy_ = nullptr;
};

}  // namespace orvanix
