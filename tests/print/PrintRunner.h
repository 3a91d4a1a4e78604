// Runs the built tavro-print in a child process with extra environment and
// answers its exit code and both outputs.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct PrintRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline PrintRun RunTavroPrint(const std::vector<std::string>& args,
                              const std::vector<std::pair<std::string, std::string>>& env,
                              const std::string& scratch) {
  const std::string outPath = scratch + "/print.out", errPath = scratch + "/print.err";
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& [name, value] : env) {
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    std::vector<char*> argv{const_cast<char*>(TAVRO_PRINT)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TAVRO_PRINT, argv.data());
    _exit(127);
  }
  PrintRun run;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  run.out = ReadWhole(outPath);
  run.err = ReadWhole(errPath);
  return run;
}
