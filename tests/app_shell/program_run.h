#pragma once
// A run folder of the test's own (a temporary folder whose Models/ links the generated files)
// and the program started in it as a child process.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

class RunFolder {
  public:
    // Links every generated file of Models/ except the ones named.
    explicit RunFolder(const std::vector<std::string>& leftOut = {});
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

class ProgramRun {
  public:
    // Starts the program in the folder with the extra environment settings ("NAME=value"; a
    // bare "NAME" removes the variable),
    // unattended (messages to standard error), its standard error kept in a file.
    ProgramRun(const RunFolder& folder, const std::vector<std::string>& environment);
    ~ProgramRun();  // kills a program still running
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    // The exit status, or -1 when it did not exit by itself within the time (or crashed).
    int WaitForExit(int timeoutMs);
    std::string StandardError() const;

  private:
    pid_t m_pid = -1;
    std::filesystem::path m_stderr;
};
