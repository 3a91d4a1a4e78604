// The calls of the workflow service's client library, loaded at print time
// when it is installed. A call answers 0 when it worked.
#pragma once

#include <cstddef>

// Under the system root (see SystemPath).
inline constexpr const char* kJobriftClientLibrary =
    "/Library/Application Support/QZV/lib/libjr2client.so";
// Room for the job identifier the library writes, terminator included.
inline constexpr size_t kJobriftJobIdSize = 256;

extern "C" {
// ip, user name, password, language ("english"), the session out, flags (0).
using JROpenSessionProc = int (*)(const char* ip, const char* userName, const char* password,
                                  const char* language, void** session, int flags);
// session, workflow folder, job name, job file path, job identifier out
// (kJobriftJobIdSize bytes).
using JRCreateNewJobExProc = int (*)(void* session, const char* workflowFolder, const char* jobName,
                                     const char* jobFilePath, char* jobId);
using JRCloseSessionProc = int (*)(void* session);
}
