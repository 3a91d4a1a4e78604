// The filter program as the scheduler runs it: arguments, environment, the
// document as a file or on standard input, and what it says on stderr.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "QueueTestSupport.h"

extern char** environ;

namespace {

struct FilterRun {
  int status = -1;
  std::string err;
};

class QueueFilter : public ::testing::Test {
 protected:
  // Runs the filter with the scheduler's arguments and environment; the
  // document from `file` (argv[6]) or, when empty, from `stdinText`.
  FilterRun Filter(const std::string& title, const std::string& file,
                   const std::string& stdinText = "", std::vector<std::string> extraArgs = {}) {
    const std::string errPath = (root.path() / "stderr.txt").string();
    const std::string inPath = (root.path() / "stdin.txt").string();
    { std::ofstream(inPath, std::ios::binary) << stdinText; }
    std::vector<std::string> args = {"tavro-queue-filter", "12", "alice", title, "1", ""};
    if (!file.empty()) args.push_back(file);
    for (auto& a : extraArgs) args.push_back(a);
    std::vector<std::string> env = {"TAVRO_ROOT=" + root.path().string(), "PRINTER=Office",
                                    "PPD=/nonexistent/Office.ppd", "PATH=/usr/bin:/bin"};
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    FilterRun run;
    if (posix_spawn(&pid, TAVRO_QUEUE_FILTER, &actions, nullptr, argv.data(), envp.data()) == 0) {
      waitpid(pid, &run.status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.err = TempRoot::Read(errPath);
    std::filesystem::remove(errPath);
    std::filesystem::remove(inPath);
    return run;
  }

  std::string Document(const std::string& text) {
    const std::string path = (root.path() / ("doc" + std::to_string(++docs))).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  TempRoot root;
  int docs = 0;
};

TEST_F(QueueFilter, AnswersAMessageWithPPDLinesTheSchedulerCanStore) {
  std::string big(5000, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('A' + (i * 7919) % 26);
  FilterRun run = Filter("Command_PRINTERLOCALPRESETS", Document(big));
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.err;
  std::istringstream lines(run.err);
  std::string line, pieces;
  int ppdLines = 0;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 2047u);
    if (line.rfind("PPD: ", 0) != 0) continue;
    ++ppdLines;
    // "PPD: Name=Value Name=Value": each pair back on a line of the reader's form.
    std::istringstream pairs(line.substr(5));
    std::string pair;
    while (pairs >> pair) {
      size_t eq = pair.find('=');
      pieces += pair.substr(0, eq) + ": " +
                (pair.substr(eq + 1) == "\"\"" ? "" : pair.substr(eq + 1)) + "\n";
    }
  }
  EXPECT_GE(ppdLines, 1);
  EXPECT_NE(run.err.find("INFO: Command_PRINTERLOCALPRESETS: message QZLocalJPPresets stored"),
            std::string::npos);
  SectionPayload got;
  ASSERT_TRUE(CFileHdlr::stringReadData(pieces, "QZLocalJPPresets", got));
  EXPECT_EQ(std::string(got.bytes.begin(), got.bytes.end() - 1), big);
}

TEST_F(QueueFilter, ReadsTheDocumentFromStandardInputWithoutAFileArgument) {
  FilterRun run = Filter("Command_LocaleCode", "", "it");
  EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.err;
  EXPECT_EQ(TempRoot::Read(root.Cache() / "QueueLocale_Office.txt"), "it\n");
}

TEST_F(QueueFilter, RefusalsEndTheJobWithAnErrorLineAndChangeNothing) {
  struct Case {
    std::string title, body, log;
  } cases[] = {
      {"Command_Unknown", "x", "ERROR: unknown command \"Command_Unknown\""},
      {"Command_PSTempFileName", "../../etc/Tavro.temp1", "ERROR: Command_PSTempFileName: refused"},
      {"Command_WritePSTemp", "<plist/>", "ERROR: Command_WritePSTemp: no ticket file name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    FilterRun run = Filter(c.title, Document(c.body));
    ASSERT_TRUE(WIFEXITED(run.status));
    EXPECT_NE(WEXITSTATUS(run.status), 0);
    EXPECT_NE(run.err.find(c.log), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("PPD:"), std::string::npos);
  }
  EXPECT_TRUE(root.Snapshot().empty());
  // Wrong arguments and an unreadable document are refused too.
  EXPECT_NE(WEXITSTATUS(Filter("Command_LocaleCode", "", "", {"extra", "args"}).status), 0);
  FilterRun missing = Filter("Command_LocaleCode", (root.path() / "missing").string());
  EXPECT_NE(WEXITSTATUS(missing.status), 0);
  EXPECT_NE(missing.err.find("ERROR: cannot open the command document"), std::string::npos);
}

}  // namespace
