// The texts of import, export and the WFT format, gathered so that code and tests use the same
// constants. Texts with "%s" take a path; format them with Format() of engine/Messages.h.
#pragma once

namespace orvanix {

// The seven formats, in the order of their codes (TransferFormats.h).
inline constexpr const char* kFormatNames[] = {
    "ASCII - integer",           "ASCII - floating point", "Binary - 8 bit",
    "Binary - 16 bit",           "Binary - 32 bit",        "Binary - floating point",
    "Waveform File Type (.WFT)",
};
// Code 7, beyond the seven: audio files through libsndfile (import: any it reads; export: FLAC).
inline constexpr const char* kAudioFileFormatName = "Audio file (FLAC, Ogg, MP3, ...)";
inline constexpr const char* kAudioFilesFilter =
    "Audio Files|*.flac;*.ogg;*.oga;*.opus;*.mp3;*.aif;*.aiff;*.aifc;*.caf;*.w64;*.rf64;*.wav|";
inline constexpr const char* kFlacFilter = "FLAC Files (*.flac)|*.flac|";
inline constexpr const char* kWftFilterName = "Waveform File Type";
inline constexpr const char* kImportFilterName = "File Import";
inline constexpr const char* kExportFilterName = "File Export";
inline constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*|";

// Dialog captions.
inline constexpr const char* kImportDialogTitle = "File Import";
inline constexpr const char* kExportDialogTitle = "File Export Options";
inline constexpr const char* kImportFileTitle = "Select File to Import from";
inline constexpr const char* kExportFileTitle = "Select File to Export to";

// Import options as the dialog shows them.
inline constexpr const char* kNoHeaderText = "There is no header in the file";
inline constexpr const char* kHeaderSizeText = "Header size is ";
inline constexpr const char* kHeaderLinesText = "Lines (ASCII file)";
inline constexpr const char* kHeaderBytesText = "Bytes (binary file)";
inline constexpr const char* kRescaleText =
    "&Automatically Rescale data values to match sampling precision";
inline constexpr const char* kTruncateText = "&Truncate data values to fit sampling precision";
inline constexpr const char* kDefineValuesText = "&Define Actual Data Values and Units:";
inline constexpr const char* kDataValueText = "A data value of";
inline constexpr const char* kEqualsText = "equals";
inline constexpr const char* kLabelLinearText = "Amplitude Axis Label (Linear)";
inline constexpr const char* kLabelLogText = "Amplitude Axis Label (Logarithmic)";
inline constexpr const char* kPrecisionTexts[] = {"8 bits", "16 bits", "24 bits"};

// Export options as the dialog shows them.
inline constexpr const char* kDataFormatText = "Data Format";
inline constexpr const char* kExportChannelsText = "Export Channel(s)";
inline constexpr const char* kExportLeftText = "&Left";
inline constexpr const char* kExportRightText = "&Right";
inline constexpr const char* kDecimationRatioText = "Decimation Ratio";

// Progress of the modal processing dialog.
inline constexpr const char* kExaminingText = "Examining data file...";
inline constexpr const char* kImportingText = "Importing...";
inline constexpr const char* kExportingText = "Exporting...";
inline constexpr const char* kCancelImportQuestion = "Are you sure you want to cancel Importing?";
inline constexpr const char* kCancelExportQuestion = "Are you sure you want to cancel exporting?";

// The rescale factor adjustment (`AdjustImportRescaling` TRUE).
inline constexpr const char* kAdjustRescaleTitle = "Adjust Rescale Factor";
inline constexpr const char* kAdjustRescalePrompt = "Rescale Multiplier:";

// Checks of the dialogs.
inline constexpr const char* kRateMustBePositive = "Sampling rate must be greater than zero";
inline constexpr const char* kHeaderNotNegative = "Header Size cannot be less than zero";
inline constexpr const char* kDecimationRange = "Decimation Ratio must be between 1 and %d";

// Failures of import and export.
inline constexpr const char* kFailureOpeningSource = "Failure Opening file: %s";
inline constexpr const char* kInsufficientMemoryToStore =
    "Insufficient Memory to store wave data.  Try using DISK file mode.";
inline constexpr const char* kFailureWritingWave = "Failure writing wave file.";
inline constexpr const char* kExportMemory = "insufficient memory for export process";
inline constexpr const char* kFailureOpeningExport = "Failure opening export file";
inline constexpr const char* kFailureReadingSegment = "Failure reading time series segment";

// WFT.
inline constexpr const char* kWftNotSupported =
    "The binary data format contained in this WFT file is not supported.";
inline constexpr const char* kWftNoWaveform = "This WFT file does not contain waveform data.";
inline constexpr const char* kWftSampleSize = "Unsupported data sample size in WFT file.";
inline constexpr const char* kWftCompressed =
    "This WFT file contains compressed data and cannot be imported.";
inline constexpr const char* kWftTooFewSamples = "Insufficient number of data samples in WFT file.";
inline constexpr const char* kWftRate =
    "Sampling rate contained in the WFT file must be greater than zero.";
inline constexpr const char* kWftCreateFailure = "Failure creating WFT file: %s\n";
inline constexpr const char* kWftHeaderWriteFailure = "Failure writing WFT file header: %s\n";
inline constexpr const char* kWftOpenFailure = "Failure opening WFT file: %s\n";
inline constexpr const char* kWftHeaderReadFailure = "Failure reading WFT file header: %s\n";

// Refusals of malformed files, more precise than the texts above. Each takes the path first.
inline constexpr const char* kImportLineTooLong =
    "Line %llu of %s is longer than 255 characters; it cannot be imported.";
inline constexpr const char* kImportNotANumber = "Line %llu of %s does not hold %s: \"%s\".";
inline constexpr const char* kImportNotFinite =
    "The value at byte %llu of %s is not a finite number; it cannot be imported.";
inline constexpr const char* kImportNoData = "The file %s holds no data to import.";
inline constexpr const char* kImportHeaderTooLarge =
    "The header of %s is larger than the file; there is no data to import.";
inline constexpr const char* kImportTooLarge =
    "The file %s holds more data than a wave file can: at most %llu frames fit in 4 GB.";
inline constexpr const char* kImportPartialFrame =
    "The last %llu bytes of %s do not make up a whole frame and were not imported.";
inline constexpr const char* kImportChanged =
    "The file %s changed while it was being imported; the import stopped.";
inline constexpr const char* kWftTruncated =
    "The WFT file %s is damaged or truncated: its header announces %llu samples but the "
    "file holds %llu.";
inline constexpr const char* kWftBadField =
    "The WFT file %s is damaged: its header field at byte %u is not a number.";
inline constexpr const char* kForeignUnreadable = "The file %s cannot be read: %s";
inline constexpr const char* kForeignNoSuchChannel = "The file %s has %u channels; choose one of them.";
inline constexpr const char* kExportNoChannel = "Select at least one channel to export.";
inline constexpr const char* kExportDiskFull =
    "Failure writing the export file %s: the disk is full.  Nothing was written.";
inline constexpr const char* kExportWriteFailure =
    "Failure writing the export file %s.  Nothing was written.";

}  // namespace orvanix
