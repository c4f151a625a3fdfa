// The main window's own texts: toolbar buttons, status-bar additions, the about box and the
// command-line help of the windowed program. The menu labels are in app/core/Commands.h, the
// document and configuration dialog texts with the core and the configuration code.
#pragma once

namespace orvanix::guitext {

// Toolbar buttons (tooltips carry the accelerator).
inline constexpr const char* kRun = "Run (Alt+R)";
inline constexpr const char* kRecord = "Record (Alt+R)";
inline constexpr const char* kStop = "Stop (Alt+S)";
inline constexpr const char* kPlay = "Play (Alt+P)";
inline constexpr const char* kRewind = "Rewind (Alt+D)";
inline constexpr const char* kOpenButton = "Open Wave File (Ctrl+O)";
// The document position in Post-Processing and Recorder modes: position and length as
// time texts.
inline constexpr const char* kPosition = "%s / %s";

// Status bar: times the sound device lost input, or playback ran dry, since the run started
// (each shown when nonzero).
inline constexpr const char* kOverruns = "Overruns: %llu";
inline constexpr const char* kUnderruns = "Underruns: %llu";
// Status bar: the file a disk recording was saved in at its size limit (it goes on in a new
// one), by its name without the folder.
inline constexpr const char* kRecordingSaved = "Saved %s";

// The about box.
inline constexpr const char* kAboutTitle = "About Orvanix";
inline constexpr const char* kAboutText =
    "<h3>Orvanix - FFT Spectral Analysis System</h3>"
    "<p>Version %s</p>"
    "<p>Spectrum analysis of audio, acoustic and vibration signals from a sound card or a "
    "wave file: time series, magnitude and phase spectra, spectrograms and measurements in "
    "engineering units.</p>"
    "<p>Built with Qt %s and PortAudio.</p>";
// The start-up banner closes itself after this long (or at a click).
inline constexpr int kBannerMsec = 2500;

// The help window (our own texts; "%1", "%2" are filled in by QString::arg).
inline constexpr const char* kHelpTitle = "Orvanix Help";
inline constexpr const char* kHelpPages = "Pages";
inline constexpr const char* kHelpReleaseNotes = "Release Notes";  // the README's title
inline constexpr const char* kHelpSearch = "Search";
inline constexpr const char* kHelpSearchHint = "Words to find";
inline constexpr const char* kHelpResult = "%1 (%2)";
inline constexpr const char* kHelpFound = "Found in %1 page(s):";
inline constexpr const char* kHelpNothingFound = "No page holds every word.";
inline constexpr const char* kHelpPageMissing =
    "The help page %1 is missing.\n\nIt is not in the program's documentation folder (%2).";

// Windowed program: --demo without a file and no demo recording installed.
inline constexpr const char* kNoDemoRecording =
    "the demo recording (demo/orvanix-demo.wav) is not installed; starting without it.";
// Windowed program: the messages of a hidden start.
inline constexpr const char* kHiddenStart =
    "tessiva: HideApplicationWindow is set in %s: running without a visible window.";

}  // namespace orvanix::guitext
