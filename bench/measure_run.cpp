// measure_run IN OUT PROGRAM [ARGS...]: runs PROGRAM with standard input from
// IN and standard output to OUT, and prints "wall_s cpu_s peak_kb" for it
// alone: wall-clock time, user plus system time and the peak resident size
// (getrusage of the waited child). On a shared machine the CPU time is the
// steadier figure.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s IN OUT PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    int in = open(argv[1], O_RDONLY);
    int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return 2;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::printf("%.4f %.4f %ld\n", wall, cpu, usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
