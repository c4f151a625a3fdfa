#include "ui/TabbedList.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>

namespace orvanix {

namespace {

constexpr int kTextMargin = 4;

class TTabDelegate : public QStyledItemDelegate {
 public:
  explicit TTabDelegate(TTabbedList& list) : QStyledItemDelegate(&list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    const QString line = base.text;
    // The item without its text: background, selection and focus; the fields follow.
    base.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &base, painter, widget);
    const QStringList fields = line.split('\t');
    const std::vector<int> offsets = list_.FieldOffsets(line);
    painter->save();
    painter->setPen(option.palette.color(
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    for (qsizetype f = 0; f < fields.size(); ++f) {
      const QRect cell =
          option.rect.adjusted(kTextMargin + offsets[static_cast<size_t>(f)], 0, 0, 0);
      painter->drawText(cell, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, fields[f]);
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString line = index.data().toString();
    const std::vector<int> offsets = list_.FieldOffsets(line);
    const QStringList fields = line.split('\t');
    const QFontMetrics metrics(option.font);
    size.setWidth(2 * kTextMargin + offsets.back() + metrics.horizontalAdvance(fields.back()));
    return size;
  }

 private:
  TTabbedList& list_;
};

}  // namespace

TTabbedList::TTabbedList(const std::vector<int>& tabStopsDialogUnits, QWidget* parent)
    : QListWidget(parent), stopsDialogUnits_(tabStopsDialogUnits) {
  setItemDelegate(new TTabDelegate(*this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
}

void TTabbedList::SetLines(const std::vector<std::string>& lines) {
  clear();
  for (const std::string& line : lines) addItem(QString::fromStdString(line));
}

std::vector<int> TTabbedList::TabStopPixels() const {
  const QFontMetrics metrics(font());
  std::vector<int> stops;
  for (int units : stopsDialogUnits_) {
    stops.push_back(static_cast<int>(units * metrics.averageCharWidth() / 4.0 + 0.5));
  }
  return stops;
}

std::vector<int> TTabbedList::FieldOffsets(const QString& line) const {
  const QFontMetrics metrics(font());
  const std::vector<int> stops = TabStopPixels();
  const QStringList fields = line.split('\t');
  std::vector<int> offsets;
  int x = 0;
  for (qsizetype f = 0; f < fields.size(); ++f) {
    if (f > 0) {
      int next = x + metrics.horizontalAdvance(QChar(' '));
      for (int stop : stops) {
        if (stop > x) {
          next = stop;
          break;
        }
      }
      x = next;
    }
    offsets.push_back(x);
    x += metrics.horizontalAdvance(fields[f]);
  }
  return offsets;
}

}  // namespace orvanix
