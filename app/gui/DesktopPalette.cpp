#include "app/gui/DesktopPalette.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>
#include <sstream>

namespace orvanix {

namespace {

const char* const kPortalService = "org.freedesktop.portal.Desktop";
const char* const kPortalPath = "/org/freedesktop/portal/desktop";
const char* const kPortalSettings = "org.freedesktop.portal.Settings";
const char* const kAppearance = "org.freedesktop.appearance";
const char* const kColorScheme = "color-scheme";
// A desktop without a running portal answers at once; one that starts it on demand gets
// this long before the program opens without it.
constexpr int kPortalWaitMsec = 500;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& text) {
  const char* space = " \t\r\n\"'";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A GTK theme name: "Adwaita:dark" (a variant), "Adwaita-dark", "Arc-Dark", or the high
// contrast theme's dark form.
TColorScheme SchemeOfTheme(const std::string& theme) {
  const std::string t = Lower(Trimmed(theme));
  if (t.empty()) return TColorScheme::Unknown;
  if (EndsWith(t, ":dark") || EndsWith(t, "-dark") || t == "highcontrastinverse") {
    return TColorScheme::Dark;
  }
  return TColorScheme::Light;
}

TColorScheme SchemeOfGtkSettings(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  TColorScheme theme = TColorScheme::Unknown;
  bool preferDark = false;
  bool saysSomething = false;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos || Trimmed(line).rfind('#', 0) == 0) continue;
    const std::string key = Lower(Trimmed(line.substr(0, equals)));
    const std::string value = Lower(Trimmed(line.substr(equals + 1)));
    if (key == "gtk-application-prefer-dark-theme") {
      preferDark = value == "1" || value == "true";
      saysSomething = true;
    } else if (key == "gtk-theme-name") {
      theme = SchemeOfTheme(value);
      saysSomething = saysSomething || theme != TColorScheme::Unknown;
    }
  }
  if (preferDark || theme == TColorScheme::Dark) return TColorScheme::Dark;
  return saysSomething ? TColorScheme::Light : TColorScheme::Unknown;
}

// The portal wraps the value in one or two variants, by version.
QVariant Unwrapped(QVariant value) {
  while (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
    value = qvariant_cast<QDBusVariant>(value).variant();
  }
  return value;
}

int PortalColorScheme() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return -1;
  QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalSettings,
                                                     QStringLiteral("Read"));
  call << QString::fromLatin1(kAppearance) << QString::fromLatin1(kColorScheme);
  const QDBusMessage reply = bus.call(call, QDBus::Block, kPortalWaitMsec);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return -1;
  bool ok = false;
  const uint scheme = Unwrapped(reply.arguments().first()).toUInt(&ok);
  return ok ? static_cast<int>(scheme) : -1;
}

// The look without the portal's part.
TDesktopLook ReadGtkLook() {
  TDesktopLook look;
  look.gtkTheme = qEnvironmentVariable("GTK_THEME").toStdString();
  QFile settings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/gtk-3.0/settings.ini"));
  // A settings file is a few lines; anything larger is not one.
  if (settings.open(QIODevice::ReadOnly)) look.gtkSettings = settings.read(64 * 1024).toStdString();
  return look;
}

}  // namespace

TColorScheme SchemeOf(const TDesktopLook& look) {
  if (look.portalColorScheme == 1) return TColorScheme::Dark;
  if (look.portalColorScheme == 2) return TColorScheme::Light;
  const TColorScheme env = SchemeOfTheme(look.gtkTheme);
  if (env != TColorScheme::Unknown) return env;
  return SchemeOfGtkSettings(look.gtkSettings);
}

TDesktopLook ReadDesktopLook() {
  TDesktopLook look = ReadGtkLook();
  look.portalColorScheme = PortalColorScheme();
  return look;
}

bool IsDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() <
         palette.color(QPalette::WindowText).lightness();
}

QPalette DarkPalette() {
  const QColor window(53, 53, 53);
  const QColor base(36, 36, 36);
  const QColor text(238, 238, 238);
  const QColor dimmed(128, 128, 128);
  QPalette p(text, window, window.lighter(150), window.darker(160), window.darker(120), text, text,
             base, window);
  p.setColor(QPalette::Midlight, window.lighter(125));
  p.setColor(QPalette::Shadow, QColor(16, 16, 16));
  p.setColor(QPalette::AlternateBase, QColor(46, 46, 46));
  p.setColor(QPalette::ToolTipBase, QColor(64, 64, 64));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  p.setColor(QPalette::BrightText, QColor(255, 96, 96));
  p.setColor(QPalette::Link, QColor(110, 170, 255));
  p.setColor(QPalette::LinkVisited, QColor(190, 140, 255));
  p.setColor(QPalette::Highlight, QColor(42, 110, 190));
  p.setColor(QPalette::HighlightedText, Qt::white);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, dimmed);
  }
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
  p.setColor(QPalette::Disabled, QPalette::HighlightedText, dimmed);
  return p;
}

TDesktopPalette::TDesktopPalette(QObject* parent)
    : QObject(parent), platform_(QApplication::palette()) {}

void TDesktopPalette::FollowDesktop() {
  Follow(SchemeOf(ReadDesktopLook()));
  QDBusConnection::sessionBus().connect(
      kPortalService, kPortalPath, kPortalSettings, QStringLiteral("SettingChanged"), this,
      SLOT(OnPortalSettingChanged(QString, QString, QDBusVariant)));
}

void TDesktopPalette::Follow(TColorScheme scheme) {
  // Only a light platform palette on a dark desktop is replaced: a dark one is the
  // desktop's own, and a light desktop gets back what the platform gave.
  if (scheme == TColorScheme::Dark && !IsDark(platform_)) {
    if (!replaced_) QApplication::setPalette(DarkPalette());
    replaced_ = true;
  } else if (replaced_) {
    QApplication::setPalette(platform_);
    replaced_ = false;
  }
}

void TDesktopPalette::OnPortalSettingChanged(const QString& group, const QString& key,
                                             const QDBusVariant& value) {
  if (group != QLatin1String(kAppearance) || key != QLatin1String(kColorScheme)) return;
  bool ok = false;
  const uint scheme = Unwrapped(value.variant()).toUInt(&ok);
  if (!ok) return;
  TDesktopLook look = ReadGtkLook();
  look.portalColorScheme = static_cast<int>(scheme);
  Follow(SchemeOf(look));
}

}  // namespace orvanix
