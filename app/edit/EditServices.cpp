#include "app/edit/EditServices.h"

namespace orvanix {

namespace {

class TProcessClipboard : public TWaveClipboard {
 public:
  void SetWave(const uint8_t* bytes, size_t size) override { wave_.assign(bytes, bytes + size); }
  bool HasWave() const override { return !wave_.empty(); }
  std::vector<uint8_t> Wave() const override { return wave_; }

 private:
  std::vector<uint8_t> wave_;
};

TEditServicesMaker g_servicesMaker = nullptr;

}  // namespace

void SetEditServicesMaker(TEditServicesMaker maker) {
  g_servicesMaker = maker;
}

TEditServices MakeEditServices() {
  return g_servicesMaker ? g_servicesMaker() : TEditServices{};
}

TWaveClipboard& ProcessClipboard() {
  static TProcessClipboard clipboard;
  return clipboard;
}

bool TPlainJobRunner::Run(TStepJob& job, const char* cancelQuestion) {
  (void)cancelQuestion;
  return RunToEnd(job);
}

}  // namespace orvanix
