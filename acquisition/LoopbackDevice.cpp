#include "acquisition/LoopbackDevice.h"

#include <algorithm>
#include <cmath>

#include "acquisition/LoopbackImpulse.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"

namespace orvanix {

namespace {

// A tick of 5 ms moves a few hundred frames at a time, about what a sound card's period does.
constexpr auto kTick = std::chrono::milliseconds(5);
constexpr uint32_t kChunkFrames = 1024;  // input frames per pass through the cable
constexpr uint32_t kWireFrames = 4096;   // output frames drawn per pass at most
constexpr uint32_t kMaxFrameBytes = 6;   // 2 channels of 3 bytes

// Frames of a clock at `rateHz` elapsed from `start` to `now`, exactly (no drift however long
// the device runs).
uint64_t FramesSince(std::chrono::steady_clock::time_point start,
                     std::chrono::steady_clock::time_point now, uint32_t rateHz) {
  const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count();
  if (ns <= 0) return 0;
  const uint64_t u = static_cast<uint64_t>(ns);
  return (u / 1000000000u) * rateHz + (u % 1000000000u) * rateHz / 1000000000u;
}

// The integer range a sample of `bytes` can hold (not WaveFormat's symmetric range: an ADC
// can deliver -32768).
void RawRange(uint32_t bytes, int32_t& low, int32_t& high) {
  switch (bytes) {
    case 1:
      low = 0, high = 255;
      break;
    case 3:
      low = -8388608, high = 8388607;
      break;
    default:
      low = -32768, high = 32767;
      break;
  }
}

double FullScaleOf(const WaveFormat& format) {
  return (static_cast<double>(format.maxValue) - format.minValue) * 0.5;
}

// Decodes interleaved frames into full-scale units, per channel; a mono frame feeds both.
void DecodeFrames(const uint8_t* bytes, uint32_t frames, const WaveFormat& format, double* left,
                  double* right) {
  const uint32_t width = format.bytesPerSample;
  const double zero = format.zeroValue;
  const double scale = 1.0 / FullScaleOf(format);
  for (uint32_t i = 0; i < frames; ++i) {
    const double l = (DecodeSample(bytes, width, format.zeroValue) - zero) * scale;
    bytes += width;
    double r = l;
    if (format.channels == 2) {
      r = (DecodeSample(bytes, width, format.zeroValue) - zero) * scale;
      bytes += width;
    }
    left[i] = l;
    right[i] = r;
  }
}

}  // namespace

// ---------------------------------------------------------------- the stream a port holds

class TLoopbackStream : public TDeviceStream {
 public:
  TLoopbackStream(TLoopbackDevice& device, TSoundDirection side) : device_(device), side_(side) {}
  ~TLoopbackStream() override {
    Stop();
    device_.Detach(side_);
  }
  bool Start(std::string& /*error*/) override {
    if (!started_) device_.StartSide(side_);
    started_ = true;
    return true;
  }
  void Stop() override {
    if (started_) device_.StopSide(side_);
    started_ = false;
  }
  bool Started() const override { return started_; }

 private:
  TLoopbackDevice& device_;
  TSoundDirection side_;
  bool started_ = false;
};

// ---------------------------------------------------------------- the device

TLoopbackDevice& TLoopbackDevice::Instance() {
  static TLoopbackDevice device;
  return device;
}

TLoopbackDevice::TLoopbackDevice()
    : inBytes_(kChunkFrames * kMaxFrameBytes),
      outBytes_(kWireFrames * kMaxFrameBytes),
      wireLeft_(kChunkFrames),
      wireRight_(kChunkFrames),
      sourceLeft_(kChunkFrames),
      sourceRight_(kChunkFrames),
      historyLeft_(kWireFrames + 2),
      historyRight_(kWireFrames + 2) {
  settings_.Normalise();
}

TLoopbackDevice::~TLoopbackDevice() {
  StopThread();
}

bool TLoopbackDevice::SetSettings(const TLoopbackSettings& settings, std::string* error) {
  StopThread();
  bool ok = true;
  const TLoopbackSettings wanted = settings;  // `settings` may be our own record
  const std::string* paths[2] = {&wanted.impulseLeft, &wanted.impulseRight};
  settings_ = wanted;
  settings_.Normalise();
  for (int channel = 0; channel < 2; ++channel) {
    std::vector<float> taps;
    std::string reason;
    if (!paths[channel]->empty() && !ReadLoopbackImpulse(*paths[channel], taps, reason)) {
      ok = false;
      if (error && error->empty()) *error = reason;
      (channel == 0 ? settings_.impulseLeft : settings_.impulseRight).clear();
    }
    convolvers_[channel].SetResponse(taps);
  }
  ResetInputPath();
  StartThreadIfNeeded();
  return ok;
}

void TLoopbackDevice::SetSource(TSource source) {
  StopThread();
  source_ = std::move(source);
  StartThreadIfNeeded();
}

std::unique_ptr<TDeviceStream> TLoopbackDevice::Attach(TSoundPort& port, std::string& error) {
  const TSoundDirection side = port.Direction();
  TSoundPort*& slot = side == TSoundDirection::Input ? input_ : output_;
  if (slot != nullptr) {
    error = kSoundDetailLoopbackBusy;
    return nullptr;
  }
  StopThread();
  slot = &port;
  StartThreadIfNeeded();
  return std::make_unique<TLoopbackStream>(*this, side);
}

void TLoopbackDevice::Detach(TSoundDirection side) {
  StopThread();
  if (side == TSoundDirection::Input) {
    inputRunning_ = false;
    input_ = nullptr;
  } else {
    outputRunning_ = false;
    output_ = nullptr;
  }
  StartThreadIfNeeded();
}

void TLoopbackDevice::StartSide(TSoundDirection side) {
  StopThread();
  const Clock::time_point now = Clock::now();
  if (side == TSoundDirection::Input && input_) {
    inFormat_ = input_->StreamFormat();
    inputStart_ = now;
    inputFrames_ = 0;
    inputRunning_ = true;
    ResetInputPath();
  } else if (side == TSoundDirection::Output && output_) {
    outFormat_ = output_->StreamFormat();
    outputStart_ = now;
    outputFrames_ = 0;
    outputRunning_ = true;
  }
  ResetResampler();
  StartThreadIfNeeded();
}

void TLoopbackDevice::StopSide(TSoundDirection side) {
  StopThread();
  if (side == TSoundDirection::Input) {
    inputRunning_ = false;
    // The output goes on by its own clock from here.
    outputStart_ = Clock::now();
    outputFrames_ = 0;
  } else {
    outputRunning_ = false;
  }
  ResetResampler();
  StartThreadIfNeeded();
}

void TLoopbackDevice::ResetInputPath() {
  convolvers_[0].Reset();
  convolvers_[1].Reset();
  delayLine_.assign(settings_.delaySamples, 0.0);
  delayPos_ = 0;
  noiseState_ = 0x9E3779B97F4A7C15ull ^ settings_.noiseSeed;
  haveSpareGauss_ = false;
}

void TLoopbackDevice::ResetResampler() {
  bridgeIn_ = 0;
  bridgeOut_ = 0;
  historyLeft_[0] = historyLeft_[1] = 0.0;
  historyRight_[0] = historyRight_[1] = 0.0;
}

// ---------------------------------------------------------------- the clock thread

void TLoopbackDevice::StopThread() {
  if (!thread_.joinable()) return;
  stop_.store(true, std::memory_order_release);
  thread_.join();
  stop_.store(false, std::memory_order_release);
}

void TLoopbackDevice::StartThreadIfNeeded() {
  if (thread_.joinable()) return;
  const bool inputLive = inputRunning_ && input_;
  const bool outputLive = outputRunning_ && output_;
  if (!inputLive && !outputLive) return;
  thread_ = std::thread([this] { Run(); });
}

void TLoopbackDevice::Run() {
  Clock::time_point next = Clock::now();
  while (!stop_.load(std::memory_order_acquire)) {
    next += kTick;
    const Clock::time_point now = Clock::now();
    // After a long stall, resume the tick rhythm from now instead of firing a burst of ticks;
    // the frame count still follows the clock in Tick.
    if (next + std::chrono::milliseconds(100) < now) next = now;
    std::this_thread::sleep_until(next);
    Tick(Clock::now());
  }
}

void TLoopbackDevice::Tick(Clock::time_point now) {
  if (inputRunning_ && input_) {
    const uint32_t rate = inFormat_.sampleRate;
    const uint64_t elapsed = FramesSince(inputStart_, now, rate);
    uint64_t due = elapsed - std::min(inputFrames_, elapsed);
    // Behind by more than a second (the process was stopped or starved): the frames beyond it
    // are lost, as a sound card would lose them, and the input is told of the overrun.
    if (due > rate) {
      inputFrames_ += due - rate;
      due = rate;
      input_->DeviceCallback(nullptr, nullptr, 0, true);
    }
    while (due > 0) {
      uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(due, kChunkFrames));
      if (outputRunning_ && output_ && outFormat_.sampleRate != rate) {
        // Keep the output frames one pass needs within the scratch.
        const uint64_t limit = (uint64_t{kWireFrames} - 2) * rate / outFormat_.sampleRate;
        frames = static_cast<uint32_t>(std::max<uint64_t>(1, std::min<uint64_t>(frames, limit)));
      }
      ProduceInput(frames);
      due -= frames;
    }
    return;
  }
  if (outputRunning_ && output_) {
    const uint32_t rate = outFormat_.sampleRate;
    const uint64_t elapsed = FramesSince(outputStart_, now, rate);
    uint64_t due = elapsed - std::min(outputFrames_, elapsed);
    if (due > rate) {  // a stall: playback resumes where it was, as after a pause
      outputFrames_ += due - rate;
      due = rate;
    }
    while (due > 0) {
      const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(due, kWireFrames));
      output_->DeviceCallback(nullptr, outBytes_.data(), frames, false);
      outputFrames_ += frames;
      due -= frames;
    }
  }
}

void TLoopbackDevice::PullOutput(uint32_t frames) {
  const uint32_t inRate = inFormat_.sampleRate;
  const uint32_t outRate = outFormat_.sampleRate;
  if (inRate == outRate) {
    output_->DeviceCallback(nullptr, outBytes_.data(), frames, false);
    DecodeFrames(outBytes_.data(), frames, outFormat_, wireLeft_.data(), wireRight_.data());
    return;
  }
  // Input frame j sits at output position j * outRate / inRate; it is interpolated between
  // output frames k - 1 and k (one output frame late, so that k is always already drawn).
  // history_[0] and [1] hold output frames bridgeOut_ - 2 and - 1, drawn frames follow.
  const uint64_t lastK = (bridgeIn_ + frames - 1) * outRate / inRate;
  const uint32_t drawn = static_cast<uint32_t>(lastK + 1 - bridgeOut_);
  if (drawn > 0) {
    output_->DeviceCallback(nullptr, outBytes_.data(), drawn, false);
    DecodeFrames(outBytes_.data(), drawn, outFormat_, historyLeft_.data() + 2,
                 historyRight_.data() + 2);
  }
  for (uint32_t i = 0; i < frames; ++i) {
    const uint64_t position = (bridgeIn_ + i) * outRate;
    const uint64_t k = position / inRate;
    const double fraction = static_cast<double>(position % inRate) / inRate;
    const size_t at = static_cast<size_t>(k + 2 - bridgeOut_);  // index of frame k
    wireLeft_[i] = historyLeft_[at - 1] + fraction * (historyLeft_[at] - historyLeft_[at - 1]);
    wireRight_[i] = historyRight_[at - 1] + fraction * (historyRight_[at] - historyRight_[at - 1]);
  }
  // Keep the last two output frames for the next pass.
  const size_t end = drawn + 2;
  historyLeft_[0] = historyLeft_[end - 2];
  historyLeft_[1] = historyLeft_[end - 1];
  historyRight_[0] = historyRight_[end - 2];
  historyRight_[1] = historyRight_[end - 1];
  bridgeIn_ += frames;
  bridgeOut_ += drawn;
}

void TLoopbackDevice::ProduceInput(uint32_t frames) {
  if (outputRunning_ && output_) {
    PullOutput(frames);
  } else {
    std::fill_n(wireLeft_.begin(), frames, 0.0);
    std::fill_n(wireRight_.begin(), frames, 0.0);
  }
  if (source_) {
    std::fill_n(sourceLeft_.begin(), frames, 0.0);
    std::fill_n(sourceRight_.begin(), frames, 0.0);
    source_(inputFrames_, frames, inFormat_.sampleRate, sourceLeft_.data(), sourceRight_.data());
    for (uint32_t i = 0; i < frames; ++i) {
      wireLeft_[i] += sourceLeft_[i];
      wireRight_[i] += sourceRight_[i];
    }
  }

  convolvers_[0].Process(wireLeft_.data(), frames);
  convolvers_[1].Process(wireRight_.data(), frames);

  const double gain = settings_.gain;
  const double noise = settings_.noiseLevel;
  const size_t delay = delayLine_.size();
  const bool delayRight = settings_.delayChannel == 1;
  const uint32_t width = inFormat_.bytesPerSample;
  const double zero = inFormat_.zeroValue;
  const double fullScale = FullScaleOf(inFormat_);
  int32_t low = 0, high = 0;
  RawRange(width, low, high);
  auto encode = [&](uint8_t* p, double value) {
    const double scaled = std::round(zero + value * fullScale);  // halves away from zero
    const double clamped = std::clamp(scaled, static_cast<double>(low), static_cast<double>(high));
    EncodeSample(p, width, static_cast<int32_t>(clamped));
  };

  uint8_t* out = inBytes_.data();
  for (uint32_t i = 0; i < frames; ++i) {
    double left = wireLeft_[i] * gain;
    double right = wireRight_[i] * gain;
    if (delay > 0) {
      double& held = delayLine_[delayPos_];
      double& late = delayRight ? right : left;
      const double arriving = late;
      late = held;
      held = arriving;
      if (++delayPos_ == delay) delayPos_ = 0;
    }
    if (noise > 0.0) {
      left += noise * Gauss();
      right += noise * Gauss();
    }
    encode(out, left);
    out += width;
    if (inFormat_.channels == 2) {
      encode(out, right);
      out += width;
    }
  }
  input_->DeviceCallback(inBytes_.data(), nullptr, frames, false);
  inputFrames_ += frames;
}

double TLoopbackDevice::Gauss() {
  if (haveSpareGauss_) {
    haveSpareGauss_ = false;
    return spareGauss_;
  }
  // xorshift64* for uniforms in (0, 1], Box-Muller for a pair of unit normals.
  auto uniform = [this] {
    noiseState_ ^= noiseState_ >> 12;
    noiseState_ ^= noiseState_ << 25;
    noiseState_ ^= noiseState_ >> 27;
    const uint64_t bits = (noiseState_ * 0x2545F4914F6CDD1Dull) >> 11;
    return (static_cast<double>(bits) + 1.0) * (1.0 / 9007199254740992.0);
  };
  const double radius = std::sqrt(-2.0 * std::log(uniform()));
  const double angle = 6.283185307179586 * uniform();
  spareGauss_ = radius * std::sin(angle);
  haveSpareGauss_ = true;
  return radius * std::cos(angle);
}

}  // namespace orvanix
