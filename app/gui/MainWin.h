// TMainWin: the frame window. An MDI frame on the analyzer core: the menu and accelerators
// of the command table, the toolbar strip that follows the mode, the MDI area with the view
// and utility windows, and the status bar. It owns no analyzer state: every command ends
// in the core, and the frame is one of the core's observers (the last one told), keeping
// its title, toolbar, menus and status bar current.
//
// Dialogs that name files (Open, Save As, Delete, Load and Save Configuration, the
// calibration file) go through a TFileChooser so that tests can answer them; message boxes
// go through Messages().
//
// Start-up: construct (restores the frame placement), show unless the application window is
// hidden, then StartUp(argument). Exit: closing the frame asks the core (RequestExit: stop,
// save prompt); when allowed, the placements of the frame and every window go into the
// program settings file, the core saves every setting (Shutdown), and the windows close.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/AnalyzerCore.h"
#include "files/SettingsRecords.h"
#include "views/PlotBase.h"

class QMdiArea;
class QMimeData;
class QPrinter;

namespace orvanix {

class TCommandMenus;
class TDeviceWatcher;
class TFileChooser;
class TGuiCoreDialogs;
class THelpWindow;
class TStatusBar;
class TTransportBar;
class TViewWindows;

struct TMainWinOptions {
  // Answers the file dialogs; nullptr: Qt's file dialogs.
  TFileChooser* chooser = nullptr;
  // The about box as a start-up banner (never while the application window is hidden).
  bool banner = true;
  // The platform's print dialog on the frame's printer; false when cancelled. Null: Qt's
  // print dialog. (Tests set the printer up without one.)
  std::function<bool(QPrinter& printer, QWidget* parent)> printDialog;
  // Where sound devices appear and vanish (the platform's device-change signal); empty:
  // nothing is watched.
  QString deviceFolder = QStringLiteral("/dev/snd");
};

class TMainWin : public QMainWindow, public TAnalyzerObserver {
  Q_OBJECT

 public:
  // `core` must outlive the frame. Registers with the core and restores the frame
  // placement from the program settings file.
  explicit TMainWin(TAnalyzerCore& core, const TMainWinOptions& options = {});
  ~TMainWin() override;

  // The clipboard format of a data link on `data`: the first whose name begins with "Link"
  // in any case; empty when there is none.
  static QString LinkFormatOf(const QMimeData* data);

  // Whether the program settings ask for the application window to stay hidden.
  bool ApplicationHidden() const;

  // After the frame is shown (or left hidden): the banner, the windows whose `ViewStatus`
  // flag is set at their placements, then the command-line argument (a .wav, .cfg or .mac
  // file; none opens the file open at the last exit) and `RunOnLaunch`.
  void StartUp(const std::string& argument);

  // Runs a command the way its menu item, key or toolbar button does. False when it is not
  // available or enabled, or it was refused or cancelled.
  bool RunCommand(int32_t command);
  // Whether this program has the feature behind a command (menus show the others greyed).
  bool CommandAvailable(int32_t command) const;
  // Available and allowed by the core's rules in the present state.
  bool CommandEnabled(int32_t command) const;
  // Re-reads enabling and checks of every command (menus do it as they open).
  void UpdateCommands();
  // Redraws the status bar and the position display from the core now.
  void RefreshStatus();

  // Dropped files: only the first counts.
  bool OpenDroppedPaths(const QStringList& paths);

  // Window arrangement (the Window menu and a loaded configuration's "Special").
  void TileHorizontally();  // one above another, each the full width
  void TileVertically();    // side by side, each the full height
  void Cascade();           // each a title bar below and right of the one before
  void ArrangeIcons();      // minimised windows in a row along the bottom

  // The help window (made when first asked for) showing `page`, a path relative to the
  // documentation root ("docs/guide/calibration.md"); it says so when the page is missing.
  THelpWindow* ShowHelp(const QString& page);
  THelpWindow* HelpWindow() const;

  // The device-change signal (null when nothing is watched). On a change the sound devices
  // are looked for again as soon as no run, dialog or open device is in the way.
  TDeviceWatcher* DeviceWatcher() const { return deviceWatcher_; }

  // The printer the views print on, as File > Printer Setup left it (landscape at first).
  QPrinter& Printer();
  // What Print would put on the page for the current view: its settings lines and title
  // (each left out when the program setting "PrintSettingsInfo" or "PrintPlotTitle" of
  // section "FileIO" is "FALSE"), the annotations, margins and comments of "PrintOpts".
  // Empty view name when the current window cannot print.
  TPrintJob ViewPrintJob() const;

  // Hands the options the views changed themselves (and the print annotations) to the
  // core. Done before settings dialogs, saving a configuration and exit, where rebuilding
  // the spectra does no harm.
  void FlushViewOptions();

  TAnalyzerCore& Core() { return core_; }
  TCommandMenus& Commands() { return *commands_; }
  TTransportBar* TransportBar() const { return transport_; }
  TStatusBar* StatusBarWidget() const { return status_; }
  QMdiArea* MdiArea() const { return mdi_; }
  TViewWindows& Windows() { return *windows_; }
  // True once the exit sequence ran (the settings were saved).
  bool Exited() const { return exited_; }

  // ---- TAnalyzerObserver ----
  void StateChanged() override;
  void StatusChanged() override;
  void SettingsChanged() override;
  void DocumentChanged() override;
  void PositionChanged(double positionSecs) override;
  void ConfigurationLoaded(const TProfile& config) override;
  void SavingConfiguration(TProfile& config) override;
  void TransientTitle(const std::string& title) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Commands by kind (MainWinCommands.cpp, MainWinFiles.cpp).
  bool RunDialogCommand(int32_t command);
  // "Overlay Management", asked for from the spectrum view's menu (it has no command number).
  bool RunOverlayManagement();
  bool OpenCommand();
  bool SaveAsCommand();
  bool DeleteCommand();
  bool LoadConfigurationCommand();
  bool SaveConfigurationCommand();
  bool ViewConfigurationCommand();
  bool PrintConfigurationCommand();
  bool PrintViewCommand();
  bool PrinterSetupCommand();
  bool HelpCommand(int32_t command);
  void ShowAbout();
  void RescanDevicesWhenIdle();

  // Start-up and exit (MainWinStartup.cpp).
  void RestoreFramePlacementFrom(const TProfile& profile);
  void ReopenWindows(const TProfile* placements);
  void FinishExit();

  void UpdateTitle();
  void UpdateToolbar();
  void UpdatePosition();
  void UpdateWindowList();
  void ScheduleStatus();
  TUiContext UiContext() const;
  std::string Choose(bool save, const std::string& title, const std::string& filter,
                     const std::string& folder);

  TAnalyzerCore& core_;
  TMainWinOptions options_;
  std::unique_ptr<TFileChooser> ownChooser_;
  TFileChooser* chooser_ = nullptr;
  std::unique_ptr<TGuiCoreDialogs> coreDialogs_;
  TCommandMenus* commands_ = nullptr;
  TTransportBar* transport_ = nullptr;
  TStatusBar* status_ = nullptr;
  QMdiArea* mdi_ = nullptr;
  TViewWindows* windows_ = nullptr;
  QTimer statusTimer_;
  std::string transientTitle_;
  std::optional<TPrintOptions> pendingPrint_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<THelpWindow> help_;
  bool printing_ = false;
  TDeviceWatcher* deviceWatcher_ = nullptr;
  QTimer deviceRetry_;
  bool exited_ = false;
};

}  // namespace orvanix
