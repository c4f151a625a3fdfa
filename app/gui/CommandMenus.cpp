#include "app/gui/CommandMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include "app/core/Commands.h"
#include "app/gui/ViewWindows.h"

namespace orvanix {

namespace {

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

// Commands that have keys or toolbar buttons but no menu item.
constexpr int32_t kTransportCommands[] = {kCmdRun, kCmdStop, kCmdPlayDocument, kCmdRewind,
                                          kCmdSingleStep};

}  // namespace

std::vector<std::string> TCommandMenus::KeysOf(int32_t command) {
  std::vector<std::string> keys;
  for (const TAccelerator& accelerator : MainAccelerators()) {
    if (accelerator.command != command) continue;
    const std::string key = accelerator.key;
    keys.push_back(key);
    if (key.size() == 5 && key.rfind("Alt+", 0) == 0) keys.push_back("Alt+Shift+" + key.substr(4));
    // The keypad's Enter is Return's twin.
    if (key == "Return") keys.push_back("Enter");
  }
  return keys;
}

bool TCommandMenus::Checkable(int32_t command) {
  switch (command) {
    case kCmdModeRealTime:
    case kCmdModePostProcess:
    case kCmdModeRecorder:
    case kCmdLoggingOn:
    case kCmdLoggingOff:
      return true;
    default:
      return TViewWindows::KindOfCommand(command) >= 0;
  }
}

QAction* TCommandMenus::MakeAction(int32_t command, const QString& text) {
  auto* action = new QAction(text, this);
  action->setData(command);
  std::vector<std::string> keys = KeysOf(command);
  QList<QKeySequence> sequences;
  for (const std::string& key : keys) sequences << QKeySequence(QString::fromStdString(key));
  if (!sequences.isEmpty()) action->setShortcuts(sequences);
  action->setCheckable(Checkable(command));
  connect(action, &QAction::triggered, this, [this, command] { emit Triggered(command); });
  actions_[command] = action;
  commands_.push_back(command);
  return action;
}

TCommandMenus::TCommandMenus(QMenuBar& bar, QWidget& keyOwner, QObject* parent)
    : QObject(parent), bar_(bar) {
  for (const char* title : MenuTitles()) {
    QMenu* menu = bar_.addMenu(Text(title));
    menu->setObjectName(Text(title).remove('&'));
    menus_.push_back(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { emit MenuAboutToShow(menu); });
    if (std::string(title) == "&File") fileMenu_ = menu;
    if (std::string(title) == "&Window") windowMenu_ = menu;
  }
  std::map<std::string, QMenu*> submenus;
  for (const TCommandInfo& info : CommandTable()) {
    QMenu* menu = Menu(info.menu);
    if (!menu) continue;
    if (info.submenu[0] != '\0') {
      const std::string key = std::string(info.menu) + "/" + info.submenu;
      auto found = submenus.find(key);
      if (found == submenus.end()) {
        if (info.separatorBefore) menu->addSeparator();
        QMenu* sub = menu->addMenu(Text(info.submenu));
        connect(sub, &QMenu::aboutToShow, this, [this, sub] { emit MenuAboutToShow(sub); });
        found = submenus.emplace(key, sub).first;
      }
      found->second->addAction(MakeAction(info.command, Text(info.label)));
      continue;
    }
    if (info.separatorBefore) menu->addSeparator();
    menu->addAction(MakeAction(info.command, Text(info.label)));
  }
  for (int32_t command : kTransportCommands) {
    QAction* action = MakeAction(command, QString());
    keyOwner.addAction(action);
  }
  for (int i = 0; i < 4; ++i) {
    QAction* action = MakeAction(kCmdHistory1 + i, QString());
    action->setVisible(false);
    historyActions_.push_back(action);
  }
  if (fileMenu_) {
    historySeparator_ = fileMenu_->addSeparator();
    historySeparator_->setVisible(false);
    for (QAction* action : historyActions_) fileMenu_->addAction(action);
  }
  if (windowMenu_) {
    windowSeparator_ = windowMenu_->addSeparator();
    windowSeparator_->setVisible(false);
  }
}

QAction* TCommandMenus::Action(int32_t command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

QMenu* TCommandMenus::Menu(const std::string& title) const {
  for (QMenu* menu : menus_) {
    if (menu->title() == QString::fromStdString(title)) return menu;
  }
  return nullptr;
}

void TCommandMenus::SetHistory(const std::vector<std::string>& paths) {
  bool any = false;
  for (size_t i = 0; i < historyActions_.size(); ++i) {
    QAction* action = historyActions_[i];
    if (i < paths.size() && !paths[i].empty()) {
      action->setText(QString::fromStdString(HistoryItemText(static_cast<int>(i), paths[i]))
                          .replace('&', "&&"));
      action->setVisible(true);
      any = true;
    } else {
      action->setVisible(false);
    }
  }
  if (historySeparator_) historySeparator_->setVisible(any);
}

void TCommandMenus::SetWindowList(const std::vector<std::string>& titles, int active) {
  if (!windowMenu_) return;
  for (QAction* action : windowActions_) {
    windowMenu_->removeAction(action);
    action->deleteLater();
  }
  windowActions_.clear();
  for (size_t i = 0; i < titles.size(); ++i) {
    const QString text = QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(titles[i]));
    QAction* action = windowMenu_->addAction(text);
    action->setCheckable(true);
    action->setChecked(static_cast<int>(i) == active);
    const int index = static_cast<int>(i);
    connect(action, &QAction::triggered, this, [this, index] { emit WindowChosen(index); });
    windowActions_.push_back(action);
  }
  if (windowSeparator_) windowSeparator_->setVisible(!titles.empty());
}

void TCommandMenus::Update(const std::function<bool(int32_t)>& enabled,
                           const std::function<bool(int32_t)>& checked) {
  for (const auto& [command, action] : actions_) {
    action->setEnabled(enabled(command));
    if (action->isCheckable()) action->setChecked(checked(command));
  }
}

}  // namespace orvanix
