#include "app/edit/SelectionPlayer.h"

#include <algorithm>
#include <cmath>

#include "acquisition/RunLoopTypes.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

// Source frames read from the document at once.
constexpr uint32_t kReadFrames = 4096;

int32_t Decode(const uint8_t* p, uint32_t bytes, int32_t zero) {
  switch (bytes) {
    case 1:
      return int32_t{p[0]} - zero;
    case 2:
      return static_cast<int16_t>(p[0] | (p[1] << 8));
    default: {
      const uint32_t u = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
      return static_cast<int32_t>(u << 8) >> 8;
    }
  }
}

void Encode(int32_t value, uint8_t* p, uint32_t bytes, int32_t zero) {
  switch (bytes) {
    case 1:
      p[0] = static_cast<uint8_t>(std::clamp(value + zero, 0, 255));
      break;
    case 2: {
      const int32_t v = std::clamp(value, -32768, 32767);
      p[0] = static_cast<uint8_t>(v & 0xFF);
      p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
      break;
    }
    default: {
      const int32_t v = std::clamp(value, -8388608, 8388607);
      p[0] = static_cast<uint8_t>(v & 0xFF);
      p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
      p[2] = static_cast<uint8_t>((v >> 16) & 0xFF);
      break;
    }
  }
}

}  // namespace

TSelectionPlayer::TSelectionPlayer(std::function<void(double)> position,
                                   std::function<void()> finished)
    : position_(std::move(position)), finished_(std::move(finished)) {}

TSelectionPlayer::~TSelectionPlayer() {
  if (output_) output_->Close();
}

bool TSelectionPlayer::Start(const TWaveFile& document, const TPlaybackRequest& request) {
  Stop();
  request_ = request;
  request_.endFrame = std::min(request.endFrame, document.Length());
  if (request_.endFrame <= request_.startFrame) return false;
  document_ = &document;
  format_ = document.Format();
  windowCount_ = 0;

  output_ = std::make_unique<TSoundOutput>(
      TSoundPort::ClampDeviceId(TSoundDirection::Output, request.deviceId));
  if (!output_->HasDevice()) {
    ReportError(kMsgNoSoundCards);
    return false;
  }
  // Prefer playing the samples as they are at a scaled rate; resample only when the device
  // will not take that rate.
  const double speed = request.speed > 0.0 ? request.speed : 1.0;
  const auto scaled = static_cast<uint32_t>(std::lround(format_.sampleRate * speed));
  if (speed != 1.0 && request.allowRateChange &&
      output_->TestFormat(scaled, format_.bytesPerSample, format_.channels)) {
    deviceRate_ = scaled;
    step_ = 1.0;
  } else {
    deviceRate_ = format_.sampleRate;
    step_ = speed;
  }
  output_->SetFormat(deviceRate_, format_.channels, format_.bytesPerSample);
  if (!output_->Open([this] { OnBuffersDone(); })) return false;  // the port said why

  const uint32_t length = request_.endFrame - request_.startFrame;
  total_ = static_cast<uint64_t>(std::ceil(length / step_));
  slotFrames_ = std::max<uint32_t>(deviceRate_ / 10, 256);
  for (auto& slot : slots_) slot.resize(size_t{slotFrames_} * format_.BlockAlign());
  next_ = 0.0;
  queued_ = 0;
  playing_ = true;
  if (!Queue(0)) {
    Stop();
    return false;
  }
  Queue(1);
  if (!output_->Restart()) {
    Stop();
    return false;
  }
  return true;
}

void TSelectionPlayer::Stop() {
  if (output_) output_->Close();
  playing_ = false;
}

bool TSelectionPlayer::SourceFrame(uint64_t index, int32_t* out) {
  const uint32_t length = request_.endFrame - request_.startFrame;
  if (request_.loop) {
    index %= length;
  } else if (index >= length) {
    return false;
  }
  const uint64_t frame = request_.startFrame + index;
  if (frame < windowFirst_ || frame >= windowFirst_ + windowCount_) {
    const auto count =
        static_cast<uint32_t>(std::min<uint64_t>(kReadFrames, request_.endFrame - frame));
    raw_.resize(size_t{count} * format_.BlockAlign());
    window_.resize(size_t{count} * format_.channels);
    windowFirst_ = frame;
    windowCount_ = 0;
    if (!document_->ReadFrames(static_cast<uint32_t>(frame), count, raw_.data())) return false;
    for (size_t i = 0; i < window_.size(); ++i) {
      window_[i] =
          Decode(&raw_[i * format_.bytesPerSample], format_.bytesPerSample, format_.zeroValue);
    }
    windowCount_ = count;
  }
  const int32_t* from = &window_[(frame - windowFirst_) * format_.channels];
  std::copy(from, from + format_.channels, out);
  return true;
}

bool TSelectionPlayer::Queue(int slot) {
  if (!playing_) return false;
  uint64_t frames = slotFrames_;
  if (!request_.loop) frames = std::min(frames, total_ - std::min(total_, queued_));
  if (frames == 0) return false;
  const uint32_t channels = format_.channels;
  const uint32_t bytes = format_.bytesPerSample;
  uint8_t* to = slots_[slot].data();
  int32_t a[2] = {0, 0};
  int32_t b[2] = {0, 0};
  for (uint64_t k = 0; k < frames; ++k) {
    // From the output frame's index, not by adding steps, so a long loop does not drift.
    const double p = static_cast<double>(queued_ + k) * step_;
    const auto i = static_cast<uint64_t>(p);
    const double fraction = p - static_cast<double>(i);
    if (!SourceFrame(i, a)) {
      frames = k;
      break;
    }
    if (fraction == 0.0 || !SourceFrame(i + 1, b)) std::copy(a, a + channels, b);
    for (uint32_t c = 0; c < channels; ++c) {
      const auto v = static_cast<int32_t>(std::lround(a[c] + (b[c] - a[c]) * fraction));
      Encode(v, to, bytes, format_.zeroValue);
      to += bytes;
    }
  }
  if (frames == 0) return false;
  queued_ += frames;
  return output_->Write(slots_[slot].data(), static_cast<uint32_t>(frames * format_.BlockAlign()),
                        slot);
}

void TSelectionPlayer::OnBuffersDone() {
  if (!output_ || !playing_) return;
  if (!output_->IsOpen()) {  // the device failed, and the port said so
    Finish();
    return;
  }
  for (int slot = output_->TakeDone(); slot >= 0; slot = output_->TakeDone()) Queue(slot);
  if (position_) {
    const uint32_t length = request_.endFrame - request_.startFrame;
    double heard = static_cast<double>(output_->Position()) * step_;
    heard = request_.loop ? std::fmod(heard, length) : std::min<double>(heard, length);
    position_((request_.startFrame + heard) / format_.sampleRate);
  }
  if (output_->AllDone()) Finish();
}

void TSelectionPlayer::Finish() {
  output_->Close();
  if (!playing_) return;
  playing_ = false;
  if (finished_) finished_();
}

}  // namespace orvanix
