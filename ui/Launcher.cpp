#include "ui/Launcher.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cctype>

namespace orvanix {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The classic viewer name stands for "whatever this desktop opens text files with".
bool MeansDefaultViewer(const std::string& viewer) {
  std::string name = viewer;
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  name = Lower(name);
  return name.empty() || name == "notepad.exe" || name == "notepad";
}

}  // namespace

std::string FindProgramOnPath(const std::string& name) {
  return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

TLaunch TextViewerLaunch(const std::string& viewer, const std::string& file) {
  if (MeansDefaultViewer(viewer)) return {"xdg-open", {file}};
  return {viewer, {file}};
}

std::optional<TLaunch> MixerLaunch(MixerSide side, const TProgramFinder& find) {
  // pavucontrol's tabs: 3 output devices, 4 input devices.
  if (std::string path = find("pavucontrol"); !path.empty()) {
    return TLaunch{path, {side == MixerSide::Input ? "--tab=4" : "--tab=3"}};
  }
  if (std::string path = find("pwvucontrol"); !path.empty()) return TLaunch{path, {}};
  if (std::string path = find("gnome-control-center"); !path.empty()) {
    return TLaunch{path, {"sound"}};
  }
  if (std::string path = find("kcmshell6"); !path.empty()) {
    return TLaunch{path, {"kcm_pulseaudio"}};
  }
  if (std::string path = find("kcmshell5"); !path.empty()) {
    return TLaunch{path, {"kcm_pulseaudio"}};
  }
  return std::nullopt;
}

bool LaunchDetached(const TLaunch& launch) {
  if (launch.program.empty()) return false;
  QStringList arguments;
  for (const std::string& a : launch.arguments) arguments << QString::fromStdString(a);
  return QProcess::startDetached(QString::fromStdString(launch.program), arguments);
}

bool OpenTextViewer(const std::string& viewer, const std::string& file) {
  return LaunchDetached(TextViewerLaunch(viewer, file));
}

bool StartMixer(MixerSide side) {
  const std::optional<TLaunch> launch = MixerLaunch(side);
  return launch && LaunchDetached(*launch);
}

}  // namespace orvanix
