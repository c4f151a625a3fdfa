#include "app/gui/GuiRegistry.h"

#include <map>
#include <string>

namespace orvanix {

namespace {

std::map<int32_t, TWindowMaker>& Windows() {
  static std::map<int32_t, TWindowMaker> windows;
  return windows;
}

std::map<int32_t, TDialogRunner>& Dialogs() {
  static std::map<int32_t, TDialogRunner> dialogs;
  return dialogs;
}

std::map<int32_t, TFrameCommand>& FrameCommands() {
  static std::map<int32_t, TFrameCommand> commands;
  return commands;
}

std::map<std::string, TFrameExtension, std::less<>>& Extensions() {
  static std::map<std::string, TFrameExtension, std::less<>> extensions;
  return extensions;
}

}  // namespace

void RegisterFrameExtension(std::string_view name, TFrameExtension extend) {
  Extensions()[std::string(name)] = std::move(extend);
}

void ExtendFrame(TMainWin& frame) {
  for (const auto& [name, extend] : Extensions()) {
    if (extend) extend(frame);
  }
}

void RegisterFrameCommand(int32_t command, TFrameCommand run) {
  FrameCommands()[command] = std::move(run);
}

const TFrameCommand* FindFrameCommand(int32_t command) {
  const auto found = FrameCommands().find(command);
  return found == FrameCommands().end() || !found->second ? nullptr : &found->second;
}

void RegisterWindow(WindowKind kind, TWindowMaker make) {
  Windows()[kind] = std::move(make);
}

void RegisterDialog(int32_t command, TDialogRunner run) {
  Dialogs()[command] = std::move(run);
}

const TWindowMaker* FindWindowMaker(WindowKind kind) {
  const auto found = Windows().find(kind);
  return found == Windows().end() || !found->second ? nullptr : &found->second;
}

const TDialogRunner* FindDialogRunner(int32_t command) {
  const auto found = Dialogs().find(command);
  return found == Dialogs().end() || !found->second ? nullptr : &found->second;
}

}  // namespace orvanix
