#include "app/gui/TransportBar.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "app/core/Commands.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/GuiTexts.h"
#include "files/SettingsRecords.h"

namespace orvanix {

TTransportBar::TTransportBar(TCommandMenus& commands, QWidget* parent)
    : QToolBar(parent), commands_(commands) {
  setObjectName("TransportBar");
  setMovable(false);
  setFloatable(false);
  setFixedHeight(kHeight);
  setIconSize(QSize(22, 22));
  setContextMenuPolicy(Qt::PreventContextMenu);
}

QIcon TTransportBar::RecordIcon() {
  QIcon icon;
  for (int size : {16, 22, 32, 44}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 0, 0), size / 16.0));
    painter.setBrush(QColor(220, 30, 30));
    const double margin = size * 0.18;
    painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon TTransportBar::GlyphIcon(Glyph glyph, const QColor& color) {
  QIcon icon;
  // 33 and 66 serve 1.5 and 3 times the 22-pixel size on HiDPI screens.
  for (int size : {16, 22, 32, 33, 44, 66}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const double s = size, m = s * 0.22, mid = s / 2;
    switch (glyph) {
      case Glyph::kPlay:
        painter.drawPolygon(QPolygonF({QPointF(m, m), QPointF(s - m, mid), QPointF(m, s - m)}));
        break;
      case Glyph::kStop:
        painter.drawRect(QRectF(m, m, s - 2 * m, s - 2 * m));
        break;
      case Glyph::kRewind: {
        // A bar, then two triangles pointing back.
        const double bar = s * 0.1, half = (s - 2 * m - bar) / 2;
        painter.drawRect(QRectF(m, m, bar, s - 2 * m));
        for (int k = 0; k < 2; ++k) {
          const double left = m + bar + k * half;
          painter.drawPolygon(QPolygonF(
              {QPointF(left, mid), QPointF(left + half, m), QPointF(left + half, s - m)}));
        }
        break;
      }
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon TTransportBar::IconFor(int32_t command, int32_t mode) const {
  const QColor ink = palette().color(QPalette::ButtonText);
  switch (command) {
    case kCmdRun:
      return mode == kModeRecorder ? RecordIcon() : GlyphIcon(Glyph::kPlay, ink);
    case kCmdStop:
      return GlyphIcon(Glyph::kStop, ink);
    case kCmdPlayDocument:
      return GlyphIcon(Glyph::kPlay, ink);
    case kCmdRewind:
      return GlyphIcon(Glyph::kRewind, ink);
    default:
      return style()->standardIcon(QStyle::SP_DialogOpenButton);
  }
}

void TTransportBar::changeEvent(QEvent* event) {
  QToolBar::changeEvent(event);
  if (event->type() != QEvent::PaletteChange) return;
  for (int32_t command : {kCmdRun, kCmdStop, kCmdPlayDocument, kCmdRewind}) {
    QAction* action = commands_.Action(command);
    if (action && actions().contains(action)) action->setIcon(IconFor(command, mode_));
  }
}

void TTransportBar::Rebuild(int32_t mode) {
  mode_ = mode;
  clear();
  position_ = nullptr;
  positionAction_ = nullptr;
  struct Button {
    int32_t command;
    QIcon icon;
    const char* tip;
  };
  std::vector<Button> buttons;
  buttons.push_back({kCmdOpen, IconFor(kCmdOpen, mode), guitext::kOpenButton});
  buttons.push_back(
      {kCmdRun, IconFor(kCmdRun, mode), mode == kModeRecorder ? guitext::kRecord : guitext::kRun});
  buttons.push_back({kCmdStop, IconFor(kCmdStop, mode), guitext::kStop});
  if (mode == kModeRecorder) {
    buttons.push_back({kCmdPlayDocument, IconFor(kCmdPlayDocument, mode), guitext::kPlay});
  }
  if (mode != kModeRealTime)
    buttons.push_back({kCmdRewind, IconFor(kCmdRewind, mode), guitext::kRewind});
  bool first = true;
  for (const Button& button : buttons) {
    QAction* action = commands_.Action(button.command);
    if (!action) continue;
    if (button.command != kCmdOpen) {
      // The transport actions carry the icons; the Open menu item keeps its own look.
      action->setIcon(button.icon);
      action->setText(QString::fromUtf8(button.tip).section(" (", 0, 0));
      action->setToolTip(QString::fromUtf8(button.tip));
      addAction(action);
    } else {
      // A separate button for Open: the menu item's label carries its accelerator text.
      QAction* open = addAction(button.icon, QString::fromUtf8(button.tip).section(" (", 0, 0));
      open->setToolTip(QString::fromUtf8(button.tip));
      connect(open, &QAction::triggered, action, &QAction::trigger);
      connect(action, &QAction::changed, open,
              [open, action] { open->setEnabled(action->isEnabled()); });
      open->setEnabled(action->isEnabled());
    }
    if (first) {
      addSeparator();
      first = false;
    }
  }
  if (mode != kModeRealTime) {
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(spacer);
    position_ = new QLabel(this);
    position_->setObjectName("PositionText");
    position_->setContentsMargins(8, 0, 8, 0);
    positionAction_ = addWidget(position_);
  }
}

std::vector<int32_t> TTransportBar::Commands() const {
  std::vector<int32_t> list;
  for (QAction* action : actions()) {
    if (action->isSeparator()) continue;
    if (action->data().isValid()) {
      list.push_back(action->data().toInt());
    } else if (!action->text().isEmpty()) {
      list.push_back(kCmdOpen);
    }
  }
  return list;
}

void TTransportBar::SetPosition(const QString& text) {
  if (position_) position_->setText(text);
}

QString TTransportBar::PositionText() const {
  return position_ ? position_->text() : QString();
}

}  // namespace orvanix
