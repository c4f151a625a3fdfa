// TCommandMenus: the main menu and the accelerators, built from the command table. Each
// command has one QAction carrying its number; menu items show the table's label with its
// accelerator text, and the accelerator keys of the table are the actions' shortcuts. The
// transport commands (901-906) have actions without menu items, for the keys and the
// toolbar. The File menu ends with the file-history items (171-174), the Window menu with
// the list of open windows.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace orvanix {

class TCommandMenus : public QObject {
  Q_OBJECT

 public:
  // Builds the menus into `bar`; actions without menu items are added to `keyOwner`
  // (the frame) so that their keys work.
  TCommandMenus(QMenuBar& bar, QWidget& keyOwner, QObject* parent = nullptr);

  // The action of a command (menu item, transport or history item), or nullptr.
  QAction* Action(int32_t command) const;
  // The top-level menus in order, and one by its label ("&File").
  const std::vector<QMenu*>& Menus() const { return menus_; }
  QMenu* Menu(const std::string& title) const;
  // Every command with an action, in menu order (transport commands last).
  const std::vector<int32_t>& Commands() const { return commands_; }

  // Rebuilds the history items from the paths (newest first, up to four).
  void SetHistory(const std::vector<std::string>& paths);
  // Rebuilds the window list at the end of the Window menu: one checkable item per title,
  // `active` checked; choosing one emits WindowChosen(index).
  void SetWindowList(const std::vector<std::string>& titles, int active);

  // Enables and checks every action by the predicates.
  void Update(const std::function<bool(int32_t)>& enabled,
              const std::function<bool(int32_t)>& checked);

  // The key sequences of a command from the accelerator table (Alt+letter also with Shift,
  // since the table's letters count in either case).
  static std::vector<std::string> KeysOf(int32_t command);
  // Whether a command's menu item shows a check mark.
  static bool Checkable(int32_t command);

 signals:
  void Triggered(int command);
  void WindowChosen(int index);
  void MenuAboutToShow(QMenu* menu);

 private:
  QAction* MakeAction(int32_t command, const QString& text);

  QMenuBar& bar_;
  std::vector<QMenu*> menus_;
  std::map<int32_t, QAction*> actions_;
  std::vector<int32_t> commands_;
  QMenu* fileMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QAction* historySeparator_ = nullptr;
  std::vector<QAction*> historyActions_;
  QAction* windowSeparator_ = nullptr;
  std::vector<QAction*> windowActions_;
};

}  // namespace orvanix
