// The desktop's light or dark look, followed by the dialogs, menus, toolbar and status bar.
// The plots keep the colours their options give them.
//
// Qt 6 takes its palette from the platform theme, but on many Linux desktops (GNOME, and
// any desktop without a Qt theme plugin) that theme has none and the program would stay
// light on a dark desktop. So the program also reads what the desktop asks for: the
// freedesktop portal's colour scheme (GNOME, KDE and others publish it, and announce its
// changes), $GTK_THEME, and the GTK settings file. When the desktop wants dark and Qt gave
// a light palette, a dark palette of our own stands in; a dark palette from the platform
// (a KDE colour scheme, qt6ct) is kept as it is.
#pragma once

#include <QObject>
#include <QPalette>
#include <string>

class QDBusVariant;

namespace orvanix {

enum class TColorScheme { Unknown, Light, Dark };

// What a Linux desktop says about light and dark.
struct TDesktopLook {
  // The portal's org.freedesktop.appearance color-scheme: 0 no preference, 1 dark, 2 light;
  // -1 when it could not be read.
  int portalColorScheme = -1;
  std::string gtkTheme;     // $GTK_THEME, such as "Adwaita:dark"
  std::string gtkSettings;  // the text of $XDG_CONFIG_HOME/gtk-3.0/settings.ini
};

// The scheme the desktop asks for: the portal first (the desktop's own switch), then
// $GTK_THEME, then the GTK settings file; Unknown when none of them says.
TColorScheme SchemeOf(const TDesktopLook& look);

// The look as this session's desktop has it now (the portal is asked over D-Bus, waiting at
// most a moment for its answer).
TDesktopLook ReadDesktopLook();

// Whether a palette is a dark one: light text on a dark window.
bool IsDark(const QPalette& palette);

// The dark palette used when the platform gives none: light text of at least 7:1 contrast
// on its window and base colours, a readable link and highlight, dimmed disabled text.
QPalette DarkPalette();

// The application palette following the desktop; one per windowed program.
class TDesktopPalette : public QObject {
  Q_OBJECT

 public:
  // Remembers the palette Qt gave (the platform's) as the one to keep or go back to.
  explicit TDesktopPalette(QObject* parent = nullptr);

  // Reads the desktop's look, follows it, and follows its later changes announced by the
  // portal.
  void FollowDesktop();

  // Sets the application palette for `scheme`: DarkPalette() when the scheme is Dark and the
  // platform's palette is light, else the platform's own.
  void Follow(TColorScheme scheme);

 private slots:
  void OnPortalSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  QPalette platform_;
  bool replaced_ = false;
};

}  // namespace orvanix
