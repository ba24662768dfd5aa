// Linux side of ChildProcess (this folder is test support, compiled for both systems).
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "child_process.h"

extern char** environ;

namespace meridox::testing {
namespace {

class PosixChild final : public ChildProcess {
 public:
  explicit PosixChild(pid_t pid) : pid_(pid) {}
  ~PosixChild() override {
    if (!reaped_) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }

  bool Wait(std::chrono::milliseconds timeout, int& exit_code) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (reaped_) {
        exit_code = code_;
        return true;
      }
      int status = 0;
      const pid_t r = ::waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        reaped_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        continue;
      }
      if (std::chrono::steady_clock::now() >= deadline)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void RequestStop() override {
    if (!reaped_)
      ::kill(pid_, SIGTERM);
  }
  void Kill() override {
    if (!reaped_)
      ::kill(pid_, SIGKILL);
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
  int code_ = -1;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& output,
                                                  std::string* error) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::vector<std::string> all{program.string()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    if (error)
      *error = std::strerror(rc);
    return nullptr;
  }
  return std::make_unique<PosixChild>(pid);
}

}  // namespace meridox::testing
#endif
