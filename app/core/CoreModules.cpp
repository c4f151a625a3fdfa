// The subsystems the core owns, and the process-wide list of module kinds.
#include <algorithm>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreModule.h"
#include "app/core/CoreState.h"

namespace orvanix {

namespace {

std::vector<TModuleInfo>& Registry() {
  static std::vector<TModuleInfo> registry;
  return registry;
}

}  // namespace

void RegisterModule(const TModuleInfo& info) {
  auto& registry = Registry();
  auto same = std::find_if(registry.begin(), registry.end(),
                           [&](const TModuleInfo& entry) { return entry.name == info.name; });
  if (same != registry.end()) {
    *same = info;
  } else {
    registry.push_back(info);
  }
}

const std::vector<TModuleInfo>& RegisteredModules() {
  return Registry();
}

const TModuleInfo* FindHeadlessOption(std::string_view name) {
  for (const TModuleInfo& info : Registry()) {
    for (const THeadlessOption& option : info.headlessOptions) {
      if (name == option.name) return &info;
    }
  }
  return nullptr;
}

void InstallModules(TAnalyzerCore& core) {
  for (const TModuleInfo& info : Registry()) {
    if (info.make && !core.FindModule(info.name)) core.AddModule(info.make(core));
  }
}

void TAnalyzerCore::AddModule(std::unique_ptr<TCoreModule> module) {
  if (!module) return;
  module->LoadProgramSettings(impl_->program);
  impl_->modules.push_back(std::move(module));
}

TCoreModule* TAnalyzerCore::FindModule(std::string_view name) const {
  for (const auto& module : impl_->modules) {
    if (module->Name() == name) return module.get();
  }
  return nullptr;
}

std::vector<TCoreModule*> TAnalyzerCore::Modules() const {
  std::vector<TCoreModule*> list;
  for (const auto& module : impl_->modules) list.push_back(module.get());
  return list;
}

TCoreModule* TAnalyzerCore::CommandOwner(int32_t command) const {
  for (const auto& module : impl_->modules) {
    if (module->OwnsCommand(command)) return module.get();
  }
  return nullptr;
}

}  // namespace orvanix
