// Status codes and constants shared by the printing-manager stand-ins. The
// values are the classic ones, so that code comparing them keeps working.
#pragma once

#include <cstdint>

using OSStatus = int32_t;

inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus kPMInvalidParameter = -50;   // a null object or bad argument
inline constexpr OSStatus kPMKeyNotFound = -9589;      // no value under the key
inline constexpr OSStatus kPMGeneralError = -30870;    // the printing system refused or failed
inline constexpr OSStatus kPMInvalidPrinter = -30882;  // no such queue
inline constexpr OSStatus kPMTimeout = -30889;         // the printing system did not answer in time

// Printer states, with the printing system's numbers.
enum PMPrinterState : int32_t {
  kPMPrinterIdle = 3,
  kPMPrinterProcessing = 4,
  kPMPrinterStopped = 5,
};

// Page orientations.
enum PMOrientation : uint16_t {
  kPMPortrait = 1,
  kPMLandscape = 2,
  kPMReversePortrait = 3,
  kPMReverseLandscape = 4,
};

// Job states, with the printing system's numbers.
enum PMJobState : int32_t {
  kPMJobPending = 3,
  kPMJobHeld = 4,
  kPMJobProcessing = 5,
  kPMJobStopped = 6,
  kPMJobCanceled = 7,
  kPMJobAborted = 8,
  kPMJobCompleted = 9,
};

// The description type that names a queue's PPD file.
inline constexpr const char* kPMPPDDescriptionType = "PMPPDDescriptionType";
