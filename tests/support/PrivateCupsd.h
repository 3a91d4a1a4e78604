// A private CUPS scheduler for one test: its own configuration, spool and
// sockets in a temporary folder, never the system's. It listens on a free
// loopback port and on a domain socket, points this process's libcups at
// itself (CUPS_SERVER, CUPS_SERVERROOT) and stops (SIGTERM, then wait) when
// the object goes, taking the folder with it.
//
// Needs root (the scheduler drops to lp for filters) and the Debian packages
// cups-daemon and cups-client; SkipReason() says why a test cannot run.
//
//   PrivateCupsd cupsd;
//   TAVRO_START_CUPSD(cupsd);              // skips or fails the test
//   std::string filter = cupsd.InstallFilter("tavro-queue-filter", built);
//   ASSERT_TRUE(cupsd.AddQueue("Q1", ppd)) << cupsd.Error();
//
// Filters run with TAVRO_ROOT set to Root(), whose cache and preferences
// folders belong to lp.
#pragma once

#include <arpa/inet.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/SystemSettings.h"

class PrivateCupsd {
 public:
  static constexpr const char* kCupsd = "/usr/sbin/cupsd";
  static constexpr const char* kLpadmin = "/usr/sbin/lpadmin";

  // Empty when a private scheduler can run here.
  static std::string SkipReason() {
    if (geteuid() != 0) return "a private scheduler needs root";
    if (access(kCupsd, X_OK) != 0) return "cupsd is not installed (cups-daemon)";
    if (access(kLpadmin, X_OK) != 0) return "lpadmin is not installed (cups-client)";
    if (!getpwnam("lp")) return "no user lp";
    return {};
  }

  PrivateCupsd() = default;
  ~PrivateCupsd() { Stop(); }
  PrivateCupsd(const PrivateCupsd&) = delete;
  PrivateCupsd& operator=(const PrivateCupsd&) = delete;

  // Writes the configuration and starts the scheduler; false with Error().
  bool Start() {
    if (pid_ > 0) return true;
    std::string pattern = NSTemporaryDirectory() + "tavro-cupsd-XXXXXX";
    if (!mkdtemp(pattern.data())) return Fail("mkdtemp failed");
    dir_ = pattern;
    // lp must pass through to the spool, the filters and the root.
    chmod(dir_.c_str(), 0755);
    const passwd* lp = getpwnam("lp");
    if (!lp) return Fail("no user lp");
    for (const char* sub : {"/etc", "/etc/ppd", "/spool", "/spool/tmp", "/cache", "/state", "/log",
                            "/filters", "/root", "/device"}) {
      if (mkdir((dir_ + sub).c_str(), 0755) != 0) return Fail(std::string("mkdir ") + sub);
    }
    chmod((dir_ + "/device").c_str(), 0777);
    for (const char* sub : {"/root/Library", "/root/Library/Caches", "/root/Library/Caches/QZV",
                            "/root/Library/Preferences"}) {
      std::string path = dir_ + sub;
      if (mkdir(path.c_str(), 0755) != 0 || chown(path.c_str(), lp->pw_uid, lp->pw_gid) != 0) {
        return Fail(std::string("cannot prepare ") + sub);
      }
    }
    port_ = FreePort();
    if (port_ == 0) return Fail("no free port");
    std::ofstream(dir_ + "/etc/cups-files.conf") << "ServerRoot " << dir_ << "/etc\n"
                                                 << "RequestRoot " << dir_ << "/spool\n"
                                                 << "TempDir " << dir_ << "/spool/tmp\n"
                                                 << "CacheDir " << dir_ << "/cache\n"
                                                 << "StateDir " << dir_ << "/state\n"
                                                 << "AccessLog " << dir_ << "/log/access_log\n"
                                                 << "ErrorLog " << dir_ << "/log/error_log\n"
                                                 << "PageLog " << dir_ << "/log/page_log\n"
                                                 << "Printcap " << dir_ << "/etc/printcap\n"
                                                 << "FileDevice Yes\n"
                                                 << "SetEnv TAVRO_ROOT " << Root() << "\n"
                                                 << "User lp\nGroup lp\nSystemGroup root\n";
    std::ofstream(dir_ + "/etc/cupsd.conf")
        << "Listen 127.0.0.1:" << port_ << "\n"
        << "Listen " << Socket() << "\n"
        << "ServerName localhost\n"
        << "Browsing No\nBrowseLocalProtocols none\nWebInterface No\n"
        << "DefaultAuthType None\nMaxJobs 20\nMaxLogSize 0\nLogLevel debug\n"
        << "<Location />\n  Order allow,deny\n  Allow 127.0.0.1\n  Allow @LOCAL\n</Location>\n"
        << "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";

    pid_t pid = fork();
    if (pid < 0) return Fail("fork failed");
    if (pid == 0) {
      int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      std::string conf = dir_ + "/etc/cupsd.conf", files = dir_ + "/etc/cups-files.conf";
      execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), (char*)nullptr);
      _exit(127);
    }
    pid_ = pid;
    if (!WaitForSocket(std::chrono::seconds(15))) return Fail("cupsd did not start: " + ErrorLog());

    SaveEnv("CUPS_SERVER");
    SaveEnv("CUPS_SERVERROOT");
    setenv("CUPS_SERVER", Socket().c_str(), 1);
    setenv("CUPS_SERVERROOT", (dir_ + "/etc").c_str(), 1);
    cupsSetServer(nullptr);  // libcups caches the server name: read it again
    return true;
  }

  // Copies an executable into the scheduler's filter folder (root-owned,
  // 0755, as the scheduler demands of filters) and answers its path.
  std::string InstallFilter(const std::string& name, const std::string& source) {
    std::string target = dir_ + "/filters/" + name;
    std::error_code ec;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               ec);
    if (ec || chmod(target.c_str(), 0755) != 0) {
      Fail("cannot install filter " + source);
      return {};
    }
    return target;
  }

  // Writes a script as a filter.
  std::string InstallFilterScript(const std::string& name, const std::string& text) {
    std::string source = dir_ + "/" + name + ".src";
    std::ofstream(source) << text;
    return InstallFilter(name, source);
  }

  // Adds an enabled, accepting queue with the PPD; its device is a file in
  // the device folder (DeviceFile) unless a URI is given.
  bool AddQueue(const std::string& name, const std::string& ppdPath, std::string deviceURI = {}) {
    if (deviceURI.empty()) deviceURI = "file://" + DeviceFile(name);
    std::string out;
    int rc =
        Run({kLpadmin, "-h", Socket(), "-p", name, "-E", "-v", deviceURI, "-P", ppdPath}, &out);
    if (rc != 0) return Fail("lpadmin failed: " + out);
    return true;
  }

  // Runs a CUPS command-line tool against this scheduler (its output in `out`).
  int Run(const std::vector<std::string>& argv, std::string* out = nullptr) {
    std::string log = dir_ + "/run.log";
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
      int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
      }
      setenv("CUPS_SERVER", Socket().c_str(), 1);
      setenv("CUPS_SERVERROOT", (dir_ + "/etc").c_str(), 1);
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    int status = 0;
    if (!WaitPid(pid, std::chrono::seconds(30), &status)) {
      kill(pid, SIGKILL);
      WaitPid(pid, std::chrono::seconds(5), &status);
      return -1;
    }
    if (out) *out = ReadFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Stops the scheduler and removes its folder; the environment goes back.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      kill(pid_, SIGCONT);  // a frozen scheduler must wake to see the signal
      int status = 0;
      if (!WaitPid(pid_, std::chrono::seconds(20), &status)) {
        kill(pid_, SIGKILL);
        WaitPid(pid_, std::chrono::seconds(5), &status);
      }
      pid_ = -1;
    }
    for (auto& [name, value] : savedEnv_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    savedEnv_.clear();
    cupsSetServer(nullptr);
    if (!dir_.empty() && !keep_) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    }
    dir_.clear();
  }

  // Pauses the scheduler (SIGSTOP): it keeps its sockets but answers nothing.
  void Freeze(bool frozen) {
    if (pid_ > 0) kill(pid_, frozen ? SIGSTOP : SIGCONT);
  }

  const std::string& Dir() const { return dir_; }
  std::string Socket() const { return dir_ + "/cups.sock"; }
  std::string Root() const { return dir_ + "/root"; }
  std::string ServerRoot() const { return dir_ + "/etc"; }
  std::string DeviceFile(const std::string& queue) const { return dir_ + "/device/" + queue; }
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  const std::string& Error() const { return error_; }
  std::string ErrorLog() const { return ReadFile(dir_ + "/log/error_log"); }
  // Keeps the folder after Stop (for looking at a failure).
  void KeepFolder(bool keep) { keep_ = keep; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }

  void SaveEnv(const char* name) {
    const char* value = getenv(name);
    savedEnv_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
  }

  static int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
      port = ntohs(addr.sin_port);
    }
    close(fd);
    return port;
  }

  bool WaitForSocket(std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::string path = Socket();
      if (fd >= 0 && path.size() < sizeof addr.sun_path) {
        memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(fd);
        if (ok) return true;
      } else if (fd >= 0) {
        close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  static bool WaitPid(pid_t pid, std::chrono::milliseconds limit, int* status) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      pid_t r = waitpid(pid, status, WNOHANG);
      if (r == pid || (r < 0 && errno == ECHILD)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string dir_;
  std::string error_;
  pid_t pid_ = -1;
  int port_ = 0;
  bool keep_ = false;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

// Starts the scheduler, skipping the test where none can run here and
// failing it when one should but does not start.
#define TAVRO_START_CUPSD(cupsd)                                      \
  do {                                                                \
    if (std::string why = PrivateCupsd::SkipReason(); !why.empty()) { \
      GTEST_SKIP() << why;                                            \
    }                                                                 \
    ASSERT_TRUE((cupsd).Start()) << (cupsd).Error();                  \
  } while (0)
