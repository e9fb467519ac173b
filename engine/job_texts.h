// Texts of the reversal job: log lines, step labels, fatal errors and the end
// message, each in its four variants (see engine/texts.h).
#pragma once

#include "engine/texts.h"

namespace jobtext {

// Plan and driver lines (a path or number is appended, then "\r\n").
extern const Text kStartProcess;        // "* Starting process to reverse video to : "
extern const Text kSoundToFile;         // "   Sound will be recorded into file : "
extern const Text kSoundRemoved;        // full line
extern const Text kSoundKept;           // full line
extern const Text kConversionEnded;     // full line
extern const Text kReversingFast;       // "* Reversing MJPEG file (using Fast mode) to file : "
extern const Text kReversingSlow;       // "* Reversing MJPEG file (using Slow mode) to file : "
extern const Text kVideoReverseEnded;   // full line
extern const Text kProcessDone;         // full line
extern const Text kEndBoxText;
extern const Text kEndBoxTitle;
extern const Text kProcessCanceled;     // full line

// Conversion to Motion-JPEG.
extern const Text kNotMjpeg;            // "* Video is not MJPEG ==> convert it to MJPEG ! using temp file : "
extern const Text kWarnFiveErrors;      // full line
extern const Text kWarnSixErrors;       // full line
extern const Text kSpecialCondition;    // format with one %.1f

// Sound and output stages.
extern const Text kStartExtraction;     // "* Starting audio extraction to : "
extern const Text kWarnExtraction;      // full line
extern const Text kExtractionEnded;     // full line
extern const Text kStartAudioReverse;   // "* Starting audio reverse. Saving it in file : "
extern const Text kWarnAudioReverse;    // full line
extern const Text kAudioReverseEnded;   // full line
extern const Text kMuxFast;             // "* Muxing video and sound tracks (fast mode) in final output file : "
extern const Text kMuxSlow;             // "* Muxing video and sound tracks in final output file : "
extern const Text kCopyOutput;          // "* Copy of reversed video file into output file : "
extern const Text kCopyDone;            // full line
extern const Text kEncodeSame;          // "* Encoding video in final output file (same format as input file) : "
extern const Text kEncodeWmv;           // "* Encoding video in final WMV output file : "
extern const Text kEncodeMp4;           // "* Encoding video in final MP4 output file : "

// Step labels. Those with %d take the step number.
extern const Text kStep1;
extern const Text kStep1b;
extern const Text kStepReverseVideo;
extern const Text kStepExtractAudio;
extern const Text kStepReverseAudio;
extern const Text kStepMux;
extern const Text kStepCopy;
extern const Text kStepEncodeSame;
extern const Text kStepEncodeWmv;
extern const Text kStepEncodeMp4;
extern const Text kStepCanceled;

// Probe.
extern const Text kOpenningFile;        // "* Openning file : "
extern const Text kProbeReport;         // format: %d %d %.2f %d %.2f %s
extern const Text kAudioDetected;       // full line
extern const Text kNoAudioDetected;     // full line
extern const char* const kInfoFormat;   // "%dx%d    %.2f fps     %.2f s"

// Fatal errors: the log line and the message box text.
struct ErrorText {
    int code;  // 1..11 for errors 01..11, 12 for error 2.04.09
    Text log;
    Text box;
};
extern const Text kErrorTitle;
extern const ErrorText kError01;
extern const ErrorText kError02;
extern const ErrorText kError03Step1;
extern const ErrorText kError03Step1b;
extern const ErrorText kError04;
extern const ErrorText kError05;
extern const ErrorText kError07;
extern const ErrorText kError08;
extern const ErrorText kError09;
extern const ErrorText kError10Same;
extern const ErrorText kError10Wmv;
extern const ErrorText kError11;
extern const ErrorText kError20409;

}  // namespace jobtext
