#pragma once
// The shell run in this process: inside a run folder of its own, on the X display, unattended,
// with a settings file that asks for the ray tracer (not there, so the first frame applies
// OpenGL).

#include <QApplication>
#include <QtGlobal>
#include <filesystem>
#include <fstream>

#include "tests/app_shell/program_run.h"

class InProcessShell {
  public:
    InProcessShell() : m_saved(std::filesystem::current_path()) {
        std::filesystem::current_path(m_folder.Path());
        std::ofstream("Velmoranth.ini") << "Version 1\nRenderEngine 2\n";
        qputenv("QT_QPA_PLATFORM", "xcb");
        // Nobody answers the shell's messages: they go to standard error, and no modal box can
        // hold the test, however it is started.
        qputenv("VELMORANTH_NONINTERACTIVE", "1");
    }
    ~InProcessShell() { std::filesystem::current_path(m_saved); }
    InProcessShell(const InProcessShell&) = delete;
    InProcessShell& operator=(const InProcessShell&) = delete;

  private:
    RunFolder m_folder;
    std::filesystem::path m_saved;
};

// The one QApplication the shell needs; made after InProcessShell has chosen the platform.
class ShellQtApp {
  public:
    ShellQtApp() : m_app(m_argc, m_argv) {}

  private:
    int m_argc = 1;
    char m_name[11] = "velmoranth";
    char* m_argv[2] = {m_name, nullptr};
    QApplication m_app;
};
