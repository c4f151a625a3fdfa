#include "measure/AnalysisView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMdiSubWindow>
#include <QPainter>
#include <algorithm>

#include "files/Configuration.h"
#include "measure/MeasureTexts.h"

namespace orvanix {

namespace {

constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeightPerLine = 48;
constexpr int kSmallestCharacter = 15;
// Text this large is not drawn.
constexpr int kLargestCharacter = 500;
constexpr int kTopMargin = 2;

}  // namespace

TAnalysisView::TAnalysisView(TAnalyzerCore& core, AnalysisType kind, QWidget* parent)
    : QWidget(parent), core_(core), kind_(kind) {
  setWindowTitle(QString::fromUtf8(AnalysisInfo(kind).title));
  setAutoFillBackground(true);
  shownLines_ = Lines().count;
}

void TAnalysisView::LinesMayHaveChanged() {
  const int lines = LineCount(kind_, EffectiveMode(core_.Engine().settings));
  if (lines != shownLines_) {
    shownLines_ = lines;
    FitWindow();
  }
  update();
}

TReadoutLines TAnalysisView::Lines() const {
  return ReadoutLines(kind_, core_.Engine(), core_.Settings().viewStatus.noiseFigurePolarity);
}

QSize TAnalysisView::MinimumWindowSize() const {
  return QSize(kMinimumWidth, kMinimumHeightPerLine * shownLines_);
}

std::optional<TAnalysisView::TTextBox> TAnalysisView::TextBox(QSize client, int lines,
                                                              int longestText) {
  TTextBox box;
  box.height =
      std::max(lines == 2 ? client.height() / 2 - 2 : client.height() - 2, kSmallestCharacter);
  box.averageWidth = std::max(client.width() / (longestText + 2), 1);
  if (box.height > kLargestCharacter || box.averageWidth > kLargestCharacter) return std::nullopt;
  return box;
}

void TAnalysisView::paintEvent(QPaintEvent*) {
  const TReadoutLines lines = Lines();
  const QString first = QString::fromStdString(lines.line[0]);
  const QString second = QString::fromStdString(lines.line[1]);
  const int longest =
      static_cast<int>(lines.count == 2 ? std::max(first.size(), second.size()) : first.size());
  const std::optional<TTextBox> box = TextBox(size(), lines.count, longest);
  if (!box) return;

  // The character height is the whole cell (ascent and descent), as the classic font
  // request had it; the average width sets the font's stretch.
  QFont font(QString::fromUtf8(measuretext::kFont));
  font.setWeight(QFont::Normal);
  font.setPixelSize(box->height);
  const int cell = QFontMetrics(font).height();
  if (cell > 0) font.setPixelSize(std::max(1, box->height * box->height / cell));
  const int natural = QFontMetrics(font).averageCharWidth();
  if (natural > 0) font.setStretch(std::clamp(100 * box->averageWidth / natural, 1, 4000));

  QPainter painter(this);
  painter.setFont(font);
  painter.setPen(palette().color(QPalette::WindowText));
  const int width = size().width();
  painter.drawText(QRect(0, kTopMargin, width, box->height), Qt::AlignHCenter | Qt::AlignTop,
                   first);
  if (lines.count == 2) {
    painter.drawText(QRect(0, box->height, width, box->height), Qt::AlignHCenter | Qt::AlignTop,
                     second);
  }
}

void TAnalysisView::FitWindow() {
  auto* window = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (!window) return;
  const QSize minimum = MinimumWindowSize();
  window->setMinimumSize(minimum);
  if (window->width() < minimum.width() || window->height() < minimum.height()) {
    window->resize(window->size().expandedTo(minimum));
  }
}

bool TAnalysisView::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) {
    if (auto* window = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      // A caption, the system menu and a sizing border: no minimise or maximise box.
      window->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
      FitWindow();
    }
  }
  return QWidget::event(event);
}

void TAnalysisView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitWindow();
  update();
}

void TAnalysisView::BlockProcessed(double) {
  update();
}

void TAnalysisView::SpectraReset() {
  update();
}

void TAnalysisView::EngineRebuilt() {
  LinesMayHaveChanged();
}

void TAnalysisView::SettingsChanged() {
  LinesMayHaveChanged();
}

void TAnalysisView::StateChanged() {
  update();
}

}  // namespace orvanix
