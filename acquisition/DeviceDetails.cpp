#include "acquisition/DeviceDetails.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "acquisition/SoundTexts.h"

namespace orvanix {

namespace {

constexpr const char* kAlsaHostApi = "ALSA";
constexpr const char* kAlsaCardList = "/proc/asound/cards";
constexpr const char* kVirtualHostApi = "Orvanix (virtual device)";

std::string ReadWholeFile(const char* path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string RateList(const TDeviceDetails& d) {
  if (!d.probed || d.rates.empty()) return "not known (the device did not answer)";
  char text[96];
  if (d.anyRate && d.rates.size() >= 2) {
    std::snprintf(text, sizeof text, "%u to %u Hz, any rate between", d.rates.front(),
                  d.rates.back());
    return text;
  }
  std::string list;
  for (uint32_t rate : d.rates) list += (list.empty() ? "" : ", ") + std::to_string(rate);
  return list + " Hz";
}

std::string WidthList(const TDeviceDetails& d) {
  if (!d.probed || d.bits.empty()) return "not known";
  std::string list;
  for (uint32_t bits : d.bits) list += (list.empty() ? "" : ", ") + std::to_string(bits);
  return list + " bits";
}

}  // namespace

int AlsaCardOfName(const std::string& name) {
  const size_t at = name.rfind("(hw:");
  if (at == std::string::npos) return -1;
  const char* digits = name.c_str() + at + 4;
  char* end = nullptr;
  const long card = std::strtol(digits, &end, 10);
  if (end == digits || card < 0 || card > 255 || (*end != ',' && *end != ')')) return -1;
  return static_cast<int>(card);
}

bool AlsaCardFromList(const std::string& cardsText, int card, std::string& driver,
                      std::string& longName) {
  std::istringstream lines(cardsText);
  std::string line;
  while (std::getline(lines, line)) {
    // An entry's first line: " N [id        ]: driver - short name"; its second line, indented
    // deeper, holds the long name.
    int number = -1;
    int used = 0;
    if (std::sscanf(line.c_str(), " %d [%*[^]]]: %n", &number, &used) < 1 || used == 0 ||
        number != card) {
      continue;
    }
    const std::string rest = line.substr(static_cast<size_t>(used));
    const size_t dash = rest.find(" - ");
    driver = Trimmed(dash == std::string::npos ? rest : rest.substr(0, dash));
    const std::string shortName = dash == std::string::npos ? "" : Trimmed(rest.substr(dash + 3));
    std::string second;
    longName =
        std::getline(lines, second) && !Trimmed(second).empty() ? Trimmed(second) : shortName;
    return true;
  }
  return false;
}

TDeviceDetails SoundDeviceDetails(TSoundDirection direction, int deviceId) {
  TDeviceDetails d;
  d.name = TSoundPort::DeviceName(direction, deviceId);
  if (d.name.empty()) return d;
  d.known = true;

  const auto& real = TPortAudioHost::Instance().Devices(direction);
  if (deviceId < static_cast<int>(real.size())) {
    const TPortAudioDevice& device = real[static_cast<size_t>(deviceId)];
    d.hostApi = device.hostApi;
    d.channels = device.maxChannels;
    d.defaultRateHz = device.defaultRateHz;
    d.lowLatencySecs = device.lowLatencySecs;
    d.highLatencySecs = device.latencySecs;
    if (d.hostApi == kAlsaHostApi) {
      const int card = AlsaCardOfName(d.name);
      if (card >= 0) AlsaCardFromList(ReadWholeFile(kAlsaCardList), card, d.driver, d.card);
    }
  } else {
    d.isVirtual = true;
    d.hostApi = kVirtualHostApi;
  }

  // The port probes the device as it would before a run (and keeps the answers).
  std::unique_ptr<TSoundPort> port;
  if (direction == TSoundDirection::Input) {
    port = std::make_unique<TSoundInput>(deviceId);
  } else {
    port = std::make_unique<TSoundOutput>(deviceId);
  }
  if (port->Error() || !port->HasDevice()) return d;
  d.probed = true;
  d.anyRate = !port->DiscreteRates();
  d.rates =
      d.anyRate ? std::vector<uint32_t>{port->LowestRate(), port->HighestRate()} : port->Rates();
  for (uint32_t bytes : {1u, 2u, 3u}) {
    if (port->SupportsBytes(bytes)) d.bits.push_back(8 * bytes);
  }
  if (d.isVirtual) {
    d.channels = port->MaxChannels();
    d.defaultRateHz = port->Format().sampleRate;
  }
  return d;
}

std::string DeviceDetailsLines(const TDeviceDetails& d) {
  if (!d.known) return "   (no device)\r";
  std::string text = "   Device Name = " + d.name + "\r";
  text += "   Host API = " + (d.hostApi.empty() ? std::string("unknown") : d.hostApi) + "\r";
  if (!d.card.empty()) text += "   Card = " + d.card + "\r";
  if (!d.driver.empty()) text += "   Driver = " + d.driver + "\r";
  text += "   Channels = " + std::to_string(d.channels) + "\r";
  char line[128];
  std::snprintf(line, sizeof line, "   Default Sample Rate = %.0f Hz\r", d.defaultRateHz);
  text += line;
  text += "   Sample Rates = " + RateList(d) + "\r";
  text += "   Sample Widths = " + WidthList(d) + "\r";
  if (!d.isVirtual) {
    std::snprintf(line, sizeof line, "   Default Latency = %.1f ms (low), %.1f ms (high)\r",
                  1000.0 * d.lowLatencySecs, 1000.0 * d.highLatencySecs);
    text += line;
  }
  return text;
}

}  // namespace orvanix
