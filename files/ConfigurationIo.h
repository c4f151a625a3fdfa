// One list of keys per section serves both reading and writing: each section's Visit
// function names every key in order with its field, its default and the file it lives
// in; a reader fills the fields from profiles, a writer writes them. Keeping one list makes
// it impossible for a key to be saved under a name it is not read with.
// Internal to the configuration code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Calibration.h"
#include "files/Profile.h"

namespace orvanix {

struct TAnalyzerSettings;
struct TLoadOptions;

enum class KeyHome {
  kConfig,           // configuration files (and the program settings file)
  kProgram,          // the program settings file only
  kProgramReadOnly,  // the program settings file, never written
};
enum class TextKind { kPlain, kPath };

class TSettingsIo {
 public:
  virtual ~TSettingsIo() = default;
  virtual void Int(const char* section, const char* key, int32_t& value, int32_t defaultValue,
                   KeyHome home = KeyHome::kConfig) = 0;
  // "%f" when written.
  virtual void Real(const char* section, const char* key, float& value, float defaultValue,
                    KeyHome home = KeyHome::kConfig) = 0;
  // `bufferChars`: the stored buffer size; at most bufferChars - 1 characters are kept.
  virtual void Text(const char* section, const char* key, std::string& value,
                    std::string_view defaultText, size_t bufferChars,
                    TextKind kind = TextKind::kPlain, KeyHome home = KeyHome::kConfig) = 0;

  // Small codes kept as 16 bits: read as an integer and narrowed like a C cast.
  void U16(const char* section, const char* key, uint16_t& value, uint16_t defaultValue,
           KeyHome home = KeyHome::kConfig) {
    int32_t wide = value;
    Int(section, key, wide, defaultValue, home);
    value = static_cast<uint16_t>(wide);
  }
  // Colours: the decimal value of 0x00BBGGRR.
  void Colour(const char* section, const char* key, uint32_t& value, uint32_t defaultValue,
              KeyHome home = KeyHome::kConfig) {
    int32_t wide = static_cast<int32_t>(value);
    Int(section, key, wide, static_cast<int32_t>(defaultValue), home);
    value = static_cast<uint32_t>(wide);
  }
  // "TRUE" / "FALSE" switches (anything but "TRUE", without case, is false).
  void Switch(const char* section, const char* key, bool& value, bool defaultValue,
              KeyHome home = KeyHome::kConfig);
  // Fixed character fields of the calibration record.
  template <size_t N>
  void Field(const char* section, const char* key, char (&field)[N], std::string_view defaultText,
             TextKind kind = TextKind::kPlain, KeyHome home = KeyHome::kConfig) {
    std::string text = FieldText(field);
    Text(section, key, text, defaultText, N, kind, home);
    SetField(field, text);
  }
};

// Reads configuration keys from `config` and machine-specific keys from `program`; a null
// profile leaves its keys' fields as they are. With `keepAbsentSections`, so does a
// section the profile does not hold at all (a key missing from a section that is there
// still takes its default).
class TSettingsReader : public TSettingsIo {
 public:
  TSettingsReader(const TProfile* config, const TProfile* program, bool keepAbsentSections = false)
      : config_(config), program_(program), keepAbsentSections_(keepAbsentSections) {}
  void Int(const char* section, const char* key, int32_t& value, int32_t defaultValue,
           KeyHome home) override;
  void Real(const char* section, const char* key, float& value, float defaultValue,
            KeyHome home) override;
  void Text(const char* section, const char* key, std::string& value, std::string_view defaultText,
            size_t bufferChars, TextKind kind, KeyHome home) override;

 private:
  // The profile to read `section` from, or null when the field stays as it is.
  const TProfile* Source(KeyHome home, const char* section) const {
    const TProfile* profile = home == KeyHome::kConfig ? config_ : program_;
    if (profile && keepAbsentSections_ && !profile->HasSection(section)) return nullptr;
    return profile;
  }
  const TProfile* config_;
  const TProfile* program_;
  bool keepAbsentSections_;
};

// Writes configuration keys to `config` and machine-specific keys to `program`; a null
// profile skips its keys; read-only keys are never written.
class TSettingsWriter : public TSettingsIo {
 public:
  TSettingsWriter(TProfile* config, TProfile* program) : config_(config), program_(program) {}
  void Int(const char* section, const char* key, int32_t& value, int32_t defaultValue,
           KeyHome home) override;
  void Real(const char* section, const char* key, float& value, float defaultValue,
            KeyHome home) override;
  void Text(const char* section, const char* key, std::string& value, std::string_view defaultText,
            size_t bufferChars, TextKind kind, KeyHome home) override;

 private:
  TProfile* Target(KeyHome home) const {
    if (home == KeyHome::kProgramReadOnly) return nullptr;
    return home == KeyHome::kConfig ? config_ : program_;
  }
  TProfile* config_;
  TProfile* program_;
};

// Cuts `text` to at most `maxChars` bytes without splitting a UTF-8 character.
std::string CutText(std::string_view text, size_t maxChars);

// The sections, in the order they are read. Each takes the whole record it fills.
void VisitPaths(TSettingsIo& io, TAnalyzerSettings& s);
void VisitFileIo(TSettingsIo& io, TAnalyzerSettings& s);
void VisitCalibration(TSettingsIo& io, TAnalyzerSettings& s);
void VisitPrintOptions(TSettingsIo& io, TAnalyzerSettings& s);
void VisitDevice(TSettingsIo& io, TAnalyzerSettings& s);
void VisitMode(TSettingsIo& io, TAnalyzerSettings& s);
void VisitProcessing(TSettingsIo& io, TAnalyzerSettings& s);
void VisitScaling(TSettingsIo& io, TAnalyzerSettings& s);
void VisitMarkers(TSettingsIo& io, TAnalyzerSettings& s);
void VisitViewStatus(TSettingsIo& io, TAnalyzerSettings& s);
void VisitTrigger(TSettingsIo& io, TAnalyzerSettings& s);
void VisitPlots(TSettingsIo& io, TAnalyzerSettings& s);
void VisitFilter(TSettingsIo& io, TAnalyzerSettings& s);
void VisitLogging(TSettingsIo& io, TAnalyzerSettings& s);
void VisitDelayFinder(TSettingsIo& io, TAnalyzerSettings& s);
void VisitLeq(TSettingsIo& io, TAnalyzerSettings& s);
void VisitReverb(TSettingsIo& io, TAnalyzerSettings& s);
void VisitMacro(TSettingsIo& io, TAnalyzerSettings& s);
void VisitFileHistory(TSettingsIo& io, TAnalyzerSettings& s);

}  // namespace orvanix
