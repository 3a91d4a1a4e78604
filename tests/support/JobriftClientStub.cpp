// A stand-in for the workflow service's client library: each call appends a
// line to the file named by TAVRO_JR_LOG, and a new job answers the
// identifier in TAVRO_JR_JOBID ("JR-1001" when unset). TAVRO_JR_NO_SESSION
// makes the session open fail; TAVRO_JR_JOB_FAILS makes the new job fail.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int gSession;

void Log(const char* format, const char* a = "", const char* b = "", const char* c = "",
         const char* d = "", const char* e = "") {
  const char* path = std::getenv("TAVRO_JR_LOG");
  if (!path) return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, format, a, b, c, d, e);
    std::fputc('\n', file);
    std::fclose(file);
  }
}
}  // namespace

extern "C" {

__attribute__((visibility("default"))) int JROpenSession(const char* ip, const char* userName,
                                                         const char* password, const char* language,
                                                         void** session, int flags) {
  Log("open|%s|%s|%s|%s|%s", ip, userName, password, language, flags == 0 ? "0" : "other");
  if (std::getenv("TAVRO_JR_NO_SESSION")) return 1;
  *session = &gSession;
  return 0;
}

__attribute__((visibility("default"))) int JRCreateNewJobEx(void* session,
                                                            const char* workflowFolder,
                                                            const char* jobName,
                                                            const char* jobFilePath, char* jobId) {
  Log("create|%s|%s|%s|%s", session == &gSession ? "session" : "other", workflowFolder, jobName,
      jobFilePath);
  if (std::getenv("TAVRO_JR_JOB_FAILS")) return 7;
  const char* id = std::getenv("TAVRO_JR_JOBID");
  std::snprintf(jobId, 256, "%s", id ? id : "JR-1001");
  return 0;
}

__attribute__((visibility("default"))) int JRCloseSession(void* session) {
  Log("close|%s", session == &gSession ? "session" : "other");
  return 0;
}
}
