#include "automation/AutomationGui.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/gui/GuiAutomationFrame.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/MainWin.h"
#include "automation/AutomationModule.h"
#include "automation/LinkText.h"
#include "automation/MacroModule.h"
#include "automation/MacroWindow.h"

namespace orvanix {

void RegisterAutomationGui() {
  RegisterWindow(kWindowMacro, [](TAnalyzerCore& core, TAnalyzerObserver*& observer) {
    auto* module = core.FindModule<TMacroModule>(TMacroModule::kName);
    if (!module) return static_cast<QWidget*>(nullptr);
    auto* window = new TMacroWindow(core, *module);
    observer = window;
    return static_cast<QWidget*>(window);
  });
  // Edit > Paste Link: the clipboard is the GUI's to read; the link is the module's.
  RegisterFrameCommand(kCmdPasteLink, [](TViewWindows&, TAnalyzerCore& core) {
    auto* module = core.FindModule<TAutomationModule>(TAutomationModule::kName);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString format = TMainWin::LinkFormatOf(data);
    if (!module || format.isEmpty()) return false;
    const QByteArray bytes = data->data(format);
    const std::optional<TLinkAddress> link =
        ParseLinkFormat(std::string_view(bytes.constData(), size_t(bytes.size())));
    if (!link) return false;
    return module->Links().PasteLink(*link, data->text().toStdString());
  });
  RegisterFrameExtension("automation", [](TMainWin& frame) {
    TAnalyzerCore& core = frame.Core();
    auto* module = core.FindModule<TAutomationModule>(TAutomationModule::kName);
    if (!module) return;
    // The core outlives its frame, and the module its core's frame.
    auto* adapter = new TGuiAutomationFrame(frame, [&core] {
      if (auto* m = core.FindModule<TAutomationModule>(TAutomationModule::kName)) {
        m->Runner().SetFrame(nullptr);
      }
    });
    module->Runner().SetFrame(adapter);
  });
}

}  // namespace orvanix
