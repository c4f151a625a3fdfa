#include "app/gui/StatusBar.h"

#include <QFontMetrics>
#include <QPainter>

#include "app/gui/DesktopPalette.h"
#include "app/gui/GuiTexts.h"
#include "engine/Messages.h"

namespace orvanix {

namespace {

constexpr int kPadding = 6;
constexpr int kFieldGap = 3;
// The state field holds the widest of its texts or the full meter.
constexpr const char* kWidestState = "Waiting for Trigger...";

QString Text(const std::string& text) {
  return QString::fromUtf8(text.c_str());
}

}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

const QColor& TStatusBar::Green() {
  static const QColor green(0, 192, 0);
  return green;
}

const QColor& TStatusBar::Yellow() {
  static const QColor yellow(255, 220, 0);
  return yellow;
}

QColor TStatusBar::UnlitColor(int segment) {
  return segment <= kLastGreenSegment ? QColor(0, 72, 0) : QColor(96, 84, 0);
}

void TStatusBar::SetInfo(const TStatusInfo& info) {
  info_ = info;
  update();
}

std::vector<QColor> TStatusBar::SegmentColors(int peakLevel) {
  std::vector<QColor> colors;
  for (int segment = kFirstSegment; segment <= std::min(peakLevel, kMaxLevel); ++segment) {
    colors.push_back(segment <= kLastGreenSegment ? Green() : Yellow());
  }
  return colors;
}

QColor TStatusBar::StateTextColor() const {
  if (info_.field == TStatusInfo::StateField::Overload) return Qt::white;
  if (info_.stateRed) {
    // Pure red on a dark window reads at 3:1; this lighter red keeps the warning at 4.5:1.
    return IsDark(palette()) ? QColor(255, 120, 120) : QColor(Qt::red);
  }
  return palette().color(QPalette::WindowText);
}

QColor TStatusBar::StateBackground() const {
  if (info_.field == TStatusInfo::StateField::Overload) return Qt::red;
  return palette().color(QPalette::Window);
}

std::vector<TStatusBar::Field> TStatusBar::Fields() const {
  const QFontMetrics metrics(font());
  auto width = [&](const QString& text) { return metrics.horizontalAdvance(text) + 2 * kPadding; };
  const int meterWidth =
      (kMaxLevel - kFirstSegment + 1) * (kSegmentWidth + kSegmentGap) + 2 * kPadding;
  std::vector<Field> fields;
  fields.push_back({Text(info_.stateText), std::max(width(kWidestState), meterWidth)});
  for (const std::string* text : {&info_.modeText, &info_.rateText, &info_.bitsText,
                                  &info_.channelsText, &info_.fftText, &info_.windowText}) {
    const QString t = Text(*text);
    fields.push_back({t, width(t)});
  }
  if (info_.progressPercent >= 0) {  // a long operation's progress
    const QString t = QString::number(info_.progressPercent) + QStringLiteral(" %");
    fields.push_back({t, width(QStringLiteral("100 %"))});
  }
  if (info_.overrunCount > 0) {
    const QString t = QString::fromStdString(
        Format(guitext::kOverruns, static_cast<unsigned long long>(info_.overrunCount)));
    fields.push_back({t, width(t)});
  }
  if (!info_.savedRecording.empty()) {
    const std::string& path = info_.savedRecording;
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const QString t = QString::fromStdString(Format(guitext::kRecordingSaved, name.c_str()));
    fields.push_back({t, width(t)});
  }
  if (info_.underrunCount > 0) {
    const QString t = QString::fromStdString(
        Format(guitext::kUnderruns, static_cast<unsigned long long>(info_.underrunCount)));
    fields.push_back({t, width(t)});
  }
  return fields;
}

QStringList TStatusBar::FieldTexts() const {
  QStringList texts;
  for (const Field& field : Fields()) texts << field.text;
  return texts;
}

QSize TStatusBar::sizeHint() const {
  int width = 0;
  for (const Field& field : Fields()) width += field.width + kFieldGap;
  return QSize(width, kHeight);
}

QSize TStatusBar::minimumSizeHint() const {
  return QSize(0, kHeight);
}

void TStatusBar::PaintMeter(QPainter& painter, const QRect& area) const {
  const bool stereo = info_.channels == 2;
  const int rows = stereo ? 2 : 1;
  // Two rows keep a 2-pixel gap so that left and right read apart.
  const int gap = 2;
  const int rowHeight = (area.height() - 2 * 3 - (rows - 1) * gap) / rows;
  for (int row = 0; row < rows; ++row) {
    const int level = row == 0 ? info_.peakLevelLeft : info_.peakLevelRight;
    const std::vector<QColor> colors = SegmentColors(level);
    const int y = area.top() + 3 + row * (rowHeight + gap);
    for (int segment = kFirstSegment; segment <= kMaxLevel; ++segment) {
      const size_t lit = static_cast<size_t>(segment - kFirstSegment);
      const int x =
          area.left() + kPadding + (segment - kFirstSegment) * (kSegmentWidth + kSegmentGap);
      // Segments above the level stay dark, so that a silent input still shows a meter.
      const QColor color = lit < colors.size() ? colors[lit] : UnlitColor(segment);
      painter.fillRect(QRect(x, y, kSegmentWidth, rowHeight), color);
    }
  }
}

void TStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), pal.color(QPalette::Window));
  int x = 0;
  const std::vector<Field> fields = Fields();
  for (size_t i = 0; i < fields.size(); ++i) {
    const QRect cell(x, 1, fields[i].width, height() - 2);
    // A sunken panel per field.
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(cell.bottomLeft(), cell.bottomRight());
    painter.drawLine(cell.topRight(), cell.bottomRight());
    const QRect inner = cell.adjusted(1, 1, -1, -1);
    if (i == 0) {
      painter.fillRect(inner, StateBackground());
      if (info_.field == TStatusInfo::StateField::LevelMeter) {
        PaintMeter(painter, inner);
      } else {
        QFont bold = font();
        bold.setBold(info_.field == TStatusInfo::StateField::Overload);
        painter.setFont(bold);
        painter.setPen(StateTextColor());
        painter.drawText(inner.adjusted(kPadding - 1, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         fields[i].text);
        painter.setFont(font());
      }
    } else {
      painter.setPen(pal.color(QPalette::WindowText));
      painter.drawText(inner.adjusted(kPadding - 1, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       fields[i].text);
    }
    x += fields[i].width + kFieldGap;
  }
}

}  // namespace orvanix
