// The macro processor's own texts.
#pragma once

namespace orvanix {

inline constexpr const char* kMacroUnrecognized =
    "Macro Command Processor: Unrecognized command \"%s\" at line %d";
inline constexpr const char* kMacroExecuteRefused =
    "Macro Command Processor: DDE Execute command \"%s\" at line %d cannot be processed";
inline constexpr const char* kMacroUnknownItem =
    "Macro Command Processor: DDE Request item \"%s\" at line %d is unrecognized";
inline constexpr const char* kMacroOpenFailed = "Failure opening macro file: %s";
inline constexpr const char* kMacroDefaultOutput = "macro_output.txt";

// The macro window.
inline constexpr const char* kMacroTitleUntitled = "Macro Processor - [Untitled]";
inline constexpr const char* kMacroTitleFile = "Macro - [%s]";
inline constexpr const char* kMacroUntitledName = "[Untitled]";
inline constexpr const char* kMacroRun = "Run";
inline constexpr const char* kMacroStop = "Stop";
inline constexpr const char* kMacroViewOutput = "View Output...";
inline constexpr const char* kMacroStillRunning =
    "A Macro is currently running.  Are you sure you want to close it?";
inline constexpr const char* kMacroChanged =
    "Macro file \"%s\" has changed. Save file before closing?";
inline constexpr const char* kMacroOpenTitle = "Open Macro Command File";
inline constexpr const char* kMacroSaveTitle = "Save Macro Command File";
inline constexpr const char* kMacroFilter = "Macro command files (*.mac)|*.mac|";
inline constexpr const char* kMacroOutputTitle = "Open Macro output File";
inline constexpr const char* kMacroOutputFilter = "Macro output files (*.txt)|*.txt|";
inline constexpr const char* kMacroWriteFailed = "Failure writing macro file: %s";
inline constexpr const char* kMacroOutputHeading = "Output: %s";

// The options dialog.
inline constexpr const char* kMacroOptionsTitle = "Macro Command Processor Options";
inline constexpr const char* kMacroPickOutputTitle = "Select Macro Output File";
inline constexpr const char* kMacroPickFilter = "%s (*.txt)|*.txt|";
inline constexpr const char* kMacroOutputFileName = "Macro Output File";
inline constexpr const char* kMacroPickViewerTitle = "Select Text Viewer Program";
// Programs here carry no extension: any file may be chosen.
inline constexpr const char* kMacroViewerFilter = "Text Viewer (*)|*|";
inline constexpr const char* kMacroDefaultViewer = "Notepad.exe";

}  // namespace orvanix
