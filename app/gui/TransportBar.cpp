#include "app/gui/TransportBar.h"

#include <QAction>
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

void TTransportBar::Rebuild(int32_t mode) {
  mode_ = mode;
  clear();
  position_ = nullptr;
  positionAction_ = nullptr;
  const QStyle* s = style();
  struct Button {
    int32_t command;
    QIcon icon;
    const char* tip;
  };
  std::vector<Button> buttons;
  buttons.push_back({kCmdOpen, s->standardIcon(QStyle::SP_DialogOpenButton), guitext::kOpenButton});
  if (mode == kModeRecorder) {
    buttons.push_back({kCmdRun, RecordIcon(), guitext::kRecord});
  } else {
    buttons.push_back({kCmdRun, s->standardIcon(QStyle::SP_MediaPlay), guitext::kRun});
  }
  buttons.push_back({kCmdStop, s->standardIcon(QStyle::SP_MediaStop), guitext::kStop});
  if (mode == kModeRecorder) {
    buttons.push_back({kCmdPlayDocument, s->standardIcon(QStyle::SP_MediaPlay), guitext::kPlay});
  }
  if (mode != kModeRealTime) {
    buttons.push_back(
        {kCmdRewind, s->standardIcon(QStyle::SP_MediaSkipBackward), guitext::kRewind});
  }
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
