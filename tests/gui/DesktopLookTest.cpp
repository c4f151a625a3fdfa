// The program on a dark desktop: the light or dark wish read from the places a Linux desktop
// keeps it, a dark palette only where the platform gave a light one, and every text of the
// main window, its menus, its status bar and the settings dialogs readable there. Contrast
// is measured on the pixels the widgets paint, so a colour fixed in code or a style sheet
// shows up as much as a wrong palette role.
#include <QAction>
#include <QApplication>
#include <QDBusVariant>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>
#include <cmath>
#include <map>

#include "app/dialogs/CalibrationDialog.h"
#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/ScalingDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/dialogs/TriggerDialog.h"
#include "app/gui/AboutBox.h"
#include "app/gui/DesktopPalette.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {
namespace {

// The relative luminance of a colour (sRGB, as the WCAG contrast ratio defines it).
double Luminance(QRgb rgb) {
  auto linear = [](int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text in `rect` of a picture: its commonest colour is the background,
// the pixel farthest from that in luminance is the text's stem.
double TextContrast(const QImage& picture, const QRect& rect) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  const QRect area = rect.intersected(image.rect());
  std::map<QRgb, int> counts;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) ++counts[image.pixel(x, y)];
  }
  if (counts.empty()) return 0.0;
  QRgb background = counts.begin()->first;
  for (const auto& [color, count] : counts) {
    if (count > counts[background]) background = color;
  }
  double best = 1.0;
  for (const auto& [color, count] : counts) best = std::max(best, Contrast(color, background));
  return best;
}

// The normal-text level of WCAG AA.
constexpr double kReadable = 4.5;

// Every enabled label with text in `window`, measured in a picture of the whole window (so
// the background is what its parents really paint behind it). Returns how many were checked.
int ExpectReadableLabels(QWidget& window, const char* name) {
  window.adjustSize();
  const QImage picture = window.grab().toImage();
  int checked = 0;
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->isVisibleTo(&window) || !label->isEnabled() || label->text().isEmpty()) continue;
    const QRect rect(label->mapTo(&window, QPoint(0, 0)), label->size());
    EXPECT_GE(TextContrast(picture, rect), kReadable)
        << name << ": label \"" << label->text().toStdString() << "\"";
    ++checked;
  }
  return checked;
}

// The enabled transport buttons' glyphs stand out from the bar (3:1, the level for
// graphics); the style's own media icons are fixed dark pictures that vanish on a dark one.
void ExpectVisibleGlyphs(QToolBar& bar) {
  int glyphs = 0;
  for (QAction* action : bar.actions()) {
    if (!action->data().isValid() || !action->isEnabled()) continue;
    QWidget* button = bar.widgetForAction(action);
    ASSERT_NE(button, nullptr);
    EXPECT_GE(TextContrast(button->grab().toImage(), button->rect()), 3.0)
        << action->text().toStdString();
    ++glyphs;
  }
  EXPECT_GE(glyphs, 2);
}

class DesktopLookTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    original_ = QApplication::palette();
  }
  void TearDown() override {
    GuiFixture::TearDown();
    QApplication::setPalette(original_);
  }
  QPalette original_;
};

TEST(DesktopScheme, ThePortalFirstThenGtkThemeThenGtkSettings) {
  struct Case {
    TDesktopLook look;
    TColorScheme expected;
  };
  const std::string preferDark = "[Settings]\ngtk-application-prefer-dark-theme=1\n";
  const Case cases[] = {
      {{}, TColorScheme::Unknown},
      // The portal is the desktop's own switch: it wins over a theme that says otherwise.
      {{1, "Adwaita", ""}, TColorScheme::Dark},
      {{2, "Adwaita:dark", preferDark}, TColorScheme::Light},
      // No preference or no portal: the theme named in the environment, then the file.
      {{0, "Adwaita:dark", ""}, TColorScheme::Dark},
      {{-1, "Arc-Dark", ""}, TColorScheme::Dark},
      {{-1, "Adwaita", preferDark}, TColorScheme::Light},
      {{-1, "", preferDark}, TColorScheme::Dark},
      {{-1, "", "[Settings]\ngtk-application-prefer-dark-theme = true\n"}, TColorScheme::Dark},
      {{-1, "", "[Settings]\ngtk-theme-name=Yaru-dark\n"}, TColorScheme::Dark},
      {{-1, "", "[Settings]\ngtk-theme-name=Adwaita\n"}, TColorScheme::Light},
      {{-1, "", "[Settings]\ngtk-application-prefer-dark-theme=0\n"}, TColorScheme::Light},
      {{-1, "", "[Settings]\n# gtk-application-prefer-dark-theme=1\n"}, TColorScheme::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SchemeOf(c.look), c.expected)
        << "portal " << c.look.portalColorScheme << ", GTK_THEME \"" << c.look.gtkTheme
        << "\", settings \"" << c.look.gtkSettings << "\"";
  }
}

TEST_F(DesktopLookTest, ADarkPlatformPaletteIsKeptAndOursGoesWhenTheDesktopTurnsLight) {
  ASSERT_FALSE(IsDark(QApplication::palette()));
  {
    TDesktopPalette follower;
    follower.Follow(TColorScheme::Dark);
    EXPECT_TRUE(IsDark(QApplication::palette()));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              DarkPalette().color(QPalette::Window));
    follower.Follow(TColorScheme::Light);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), original_.color(QPalette::Window));
  }
  // A dark palette the platform gave (a KDE colour scheme, qt6ct) is the desktop's own.
  QPalette platform(QColor(230, 230, 200), QColor(20, 30, 40));
  QApplication::setPalette(platform);
  TDesktopPalette follower;
  follower.Follow(TColorScheme::Dark);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(20, 30, 40));
  follower.Follow(TColorScheme::Light);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(20, 30, 40));
}

// The portal announces a switch of the desktop's scheme while the program runs.
TEST_F(DesktopLookTest, TheWindowFollowsTheSchemeThePortalAnnounces) {
  TDesktopPalette follower;
  auto announce = [&](const char* group, const char* key, uint scheme) {
    // Delivered as the portal sends it: the value in a variant.
    ASSERT_TRUE(QMetaObject::invokeMethod(
        &follower, "OnPortalSettingChanged", Q_ARG(QString, QString::fromLatin1(group)),
        Q_ARG(QString, QString::fromLatin1(key)),
        Q_ARG(QDBusVariant, QDBusVariant(QVariant::fromValue(scheme)))));
  };
  announce("org.freedesktop.appearance", "color-scheme", 1);
  EXPECT_TRUE(IsDark(QApplication::palette()));
  // Other settings of the portal change nothing.
  announce("org.freedesktop.appearance", "accent-color", 2);
  announce("org.gnome.desktop.interface", "color-scheme", 2);
  EXPECT_TRUE(IsDark(QApplication::palette()));
  announce("org.freedesktop.appearance", "color-scheme", 2);
  EXPECT_FALSE(IsDark(QApplication::palette()));
}

TEST_F(DesktopLookTest, OnADarkDesktopMenusStatusBarAndDialogsAreReadable) {
  TDesktopPalette follower;
  follower.Follow(TColorScheme::Dark);
  ASSERT_TRUE(IsDark(QApplication::palette()));
  const std::string wave = Path("tone.wav");
  WriteToneWave(wave, 44100, 2, 44100, {{1000.0, 0.5, 0}, {440.0, 0.3, 1}});
  MakeFrame();
  ASSERT_TRUE(core_->OpenWave(wave));
  frame_->resize(900, 600);
  QApplication::processEvents();

  // The menu bar and a menu as it drops down.
  QMenuBar* bar = frame_->menuBar();
  EXPECT_GE(TextContrast(bar->grab().toImage(), bar->rect()), kReadable) << "menu bar";
  ASSERT_FALSE(bar->actions().isEmpty());
  QMenu* menu = bar->actions().first()->menu();
  ASSERT_NE(menu, nullptr);
  menu->adjustSize();
  EXPECT_GE(TextContrast(menu->grab().toImage(), menu->rect()), kReadable) << "File menu";

  // The transport buttons' glyphs stand out from the bar.
  ExpectVisibleGlyphs(*frame_->TransportBar());

  // The status bar: its state field, and the fields after it (measured apart, so the
  // meter's bright segments or one readable field cannot hide another that is not).
  TStatusBar& status = *frame_->StatusBarWidget();
  ASSERT_GE(status.FieldTexts().size(), 6);
  TStatusInfo info;
  info.field = TStatusInfo::StateField::Stopped;
  info.stateText = "Stopped";
  info.modeText = "Post Process";
  info.rateText = "44100 Hz";
  info.bitsText = "16 Bit";
  info.channelsText = "Stereo";
  info.fftText = "FFT 4096 pts";
  info.windowText = "Hanning";
  status.SetInfo(info);
  const int width = status.width();
  ASSERT_GE(width, 800);
  ASSERT_GE(status.sizeHint().width(), width / 2);
  const QRect stateField(0, 0, width / 8, status.height());
  const QRect otherFields(width / 4, 0, width - width / 4, status.height());
  EXPECT_GE(TextContrast(status.grab().toImage(), stateField), kReadable) << "state field";
  EXPECT_GE(TextContrast(status.grab().toImage(), otherFields), kReadable) << "status fields";
  info.field = TStatusInfo::StateField::WaitingForTrigger;
  info.stateText = "Waiting for Trigger...";
  info.stateRed = true;
  status.SetInfo(info);
  EXPECT_GE(TextContrast(status.grab().toImage(), stateField), kReadable) << "red state text";

  // The settings dialogs and the about box, label by label.
  int labels = 0;
  TProcessingContext context;
  context.postProcessing = true;
  context.input = CapabilitiesFromLimits(RateLimits{8000, 192000, false});
  TSettingsDialog settings(frame_.get(), ProcessingSettings{}, context);
  labels += ExpectReadableLabels(settings, "settings");
  TScalingDialog scaling(frame_.get(), ScalingSettings{}, 2, "/", nullptr);
  labels += ExpectReadableLabels(scaling, "scaling");
  TTriggerDialog trigger(frame_.get(), TTriggerSettings{});
  labels += ExpectReadableLabels(trigger, "trigger");
  TCalibrationDialog::Services services;
  services.measure = [](TCalibration&) { return false; };
  services.chooseFile = [](bool, const std::string&) { return std::string(); };
  TCalibrationDialog calibration(frame_.get(), DefaultsButtonCalibration(), services);
  labels += ExpectReadableLabels(calibration, "calibration");
  TAboutBox about(frame_.get());
  labels += ExpectReadableLabels(about, "about");
  EXPECT_GE(labels, 20);
}

// The measure itself: dark text on the dark palette is caught.
TEST_F(DesktopLookTest, TheTransportGlyphsFollowASwitchToADarkDesktop) {
  const std::string wave = Path("tone.wav");
  WriteToneWave(wave, 44100, 1, 44100, {{1000.0, 0.5}});
  MakeFrame();
  ASSERT_TRUE(core_->OpenWave(wave));
  ASSERT_FALSE(IsDark(QApplication::palette()));
  TDesktopPalette follower;
  follower.Follow(TColorScheme::Dark);
  QApplication::processEvents();
  ASSERT_TRUE(IsDark(frame_->TransportBar()->palette()));
  ExpectVisibleGlyphs(*frame_->TransportBar());
}

TEST_F(DesktopLookTest, DarkTextOnTheDarkPaletteFailsTheMeasure) {
  TDesktopPalette follower;
  follower.Follow(TColorScheme::Dark);
  QWidget window;
  auto* label = new QLabel(QStringLiteral("Sampling Rate"), &window);
  label->setStyleSheet(QStringLiteral("color: black"));
  auto* readable = new QLabel(QStringLiteral("Sampling Rate"), &window);
  readable->move(0, 40);
  const QImage picture = window.grab().toImage();
  EXPECT_LT(TextContrast(picture, QRect(label->pos(), label->size())), 2.0);
  EXPECT_GE(TextContrast(picture, QRect(readable->pos(), readable->size())), 7.0);
}

}  // namespace
}  // namespace orvanix::test
