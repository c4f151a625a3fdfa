// TViewWindows: the view and utility windows inside the frame's MDI area, one slot per
// window kind. Opening a window creates its content, restores its placement (from the
// program settings file, or from a configuration being loaded), attaches it to the core's
// slot and shows it; closing it, by command or by its own close button, saves its placement
// to the program settings file, detaches it and deletes it.
//
// Only kinds whose window exists can be opened (CanOpen); the others keep their
// `ViewStatus` flag untouched so that a configuration naming them survives a save.
#pragma once

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>

#include "app/core/AnalyzerCore.h"

class QMdiArea;

namespace orvanix {

class TProfile;
class TSpectrumWindow;

// Window content that may keep its window open when asked to close (it asks the user
// first: a running macro, text not saved).
class TCloseGuard {
 public:
  virtual ~TCloseGuard() = default;
  // False: the window stays.
  virtual bool ConfirmClose() = 0;
};

// An MDI child that asks its content's TCloseGuard before it closes, reports its closing and
// remembers its last normal geometry (what is stored while it is maximised or minimised).
class TChildWindow : public QMdiSubWindow {
  Q_OBJECT

 public:
  TChildWindow(WindowKind kind, QWidget* parent = nullptr);
  WindowKind Kind() const { return kind_; }
  QRect LastNormalGeometry() const { return normal_; }

 signals:
  void Closing(int kind);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Remember();
  WindowKind kind_;
  QRect normal_;
};

class TViewWindows : public QObject {
  Q_OBJECT

 public:
  TViewWindows(TAnalyzerCore& core, QMdiArea& area, QObject* parent = nullptr);
  ~TViewWindows() override;

  // Window titles ("Spectrum", "THD", ...), by kind.
  static const char* Title(WindowKind kind);
  // The View or Utilities command of a kind, and the other way round (-1: none).
  static int32_t CommandOf(WindowKind kind);
  static int32_t KindOfCommand(int32_t command);

  // Whether a window of this kind can be made.
  static bool CanOpen(WindowKind kind);
  bool IsOpen(WindowKind kind) const { return windows_[kind] != nullptr; }

  // Opens the window (nothing when it is open or cannot be made) at its placement in
  // `placements` (nullptr: the program settings file). `applicationHidden` keeps it hidden.
  bool Open(WindowKind kind, const TProfile* placements = nullptr, bool applicationHidden = false);
  // Closes it, saving its placement to the program settings file.
  void Close(WindowKind kind);
  // The View and Utilities commands: open a closed window, close an open one.
  bool Toggle(WindowKind kind);
  void CloseAllViews();
  void CloseAllUtilities();
  void CloseAll();
  // Asks every open window's TCloseGuard, as the program's exit does before anything else;
  // false when one keeps its window. Once all agreed, closing does not ask them again
  // (until SetCloseConfirmed(false)).
  bool ConfirmCloseAll();
  // Whether the open windows close without asking their guards (the exit asked, or it can
  // no longer be refused).
  void SetCloseConfirmed(bool confirmed);

  // Writes the placement of every open window into `profile`.
  void SavePlacements(TProfile& profile) const;

  TChildWindow* SubWindow(WindowKind kind) const { return windows_[kind]; }
  TSpectrumWindow* Spectrum() const;
  // The kind of an MDI child, or -1.
  int32_t KindOf(const QMdiSubWindow* window) const;
  // Whether the frame itself is minimised (windows restored meanwhile come back minimised).
  void SetFrameMinimised(bool minimised) { frameMinimised_ = minimised; }

 signals:
  // A window opened or closed.
  void WindowsChanged();
  // The spectrum window asks for its options dialog or for help.
  void SpectrumPropertiesRequested();
  void SpectrumOverlaysRequested();
  void HelpRequested();

 private:
  QWidget* MakeContent(WindowKind kind);
  void OnClosing(int kind);
  QRect DefaultGeometry() const;

  TAnalyzerCore& core_;
  QMdiArea& area_;
  std::array<QPointer<TChildWindow>, kWindowKindCount> windows_{};
  std::array<TAnalyzerObserver*, kWindowKindCount> observers_{};
  bool frameMinimised_ = false;
};

}  // namespace orvanix
