// TTabbedList: a read-only list box whose lines hold fields separated by tab characters,
// drawn on tab stops given in dialog units (a quarter of the font's average character
// width), as a classic list box with tab stops shows them.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

namespace orvanix {

class TTabbedList : public QListWidget {
  Q_OBJECT

 public:
  TTabbedList(const std::vector<int>& tabStopsDialogUnits, QWidget* parent = nullptr);
  void SetLines(const std::vector<std::string>& lines);
  // The tab stops in pixels of the list's font.
  std::vector<int> TabStopPixels() const;
  // The x offset of each field of `line` (pixels from the item's left edge).
  std::vector<int> FieldOffsets(const QString& line) const;

 private:
  std::vector<int> stopsDialogUnits_;
};

}  // namespace orvanix
