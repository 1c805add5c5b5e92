#include "tests/app_shell/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

RunFolder::RunFolder(const std::vector<std::string>& leftOut) {
    const fs::path generated = fs::current_path() / "Models";
    std::string pattern = (fs::temp_directory_path() / "velmoranth-run-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    m_path = pattern;
    fs::create_directory(m_path / "Models");
    for (const fs::directory_entry& entry : fs::directory_iterator(generated)) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.' || std::find(leftOut.begin(), leftOut.end(), name) != leftOut.end())
            continue;
        fs::create_symlink(entry.path(), m_path / "Models" / name);
    }
}

RunFolder::~RunFolder() {
    std::error_code ignored;
    if (!m_path.empty()) fs::remove_all(m_path, ignored);
}

ProgramRun::ProgramRun(const RunFolder& folder, const std::vector<std::string>& environment)
    : m_stderr(folder.Path() / "stderr.txt") {
    std::vector<std::string> settings = {"VELMORANTH_NONINTERACTIVE=1", "SDL_AUDIODRIVER=dummy"};
    settings.insert(settings.end(), environment.begin(), environment.end());
    m_pid = fork();
    if (m_pid != 0) return;
    // The child: only async-signal-safe calls and exec from here on. It ends with the test,
    // and holds none of the test's output open.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (chdir(folder.Path().c_str()) != 0) _exit(127);
    const int err = open(m_stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int none = open("/dev/null", O_RDWR);
    if (err < 0 || none < 0) _exit(127);
    dup2(none, STDIN_FILENO);
    dup2(none, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // glibc's putenv removes a variable given without "=".
    for (std::string& s : settings) putenv(s.data());
    execl(VELMORANTH_PROGRAM, "velmoranth", static_cast<char*>(nullptr));
    _exit(127);
}

ProgramRun::~ProgramRun() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

int ProgramRun::WaitForExit(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pid > 0) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

std::string ProgramRun::StandardError() const {
    std::ifstream in(m_stderr);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
