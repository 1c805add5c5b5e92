#pragma once
// A context with its own folder of program files, and the check that it leaks nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rt/rt_api.h"
#include "platform/rt/rt_test.h"
#include "tests/rt/rt_test_programs.h"

class RtFixture : public ::testing::Test {
protected:
    void SetUp() override {
        rttest::RegisterTestPrograms();
        rtTestClearFaults();
        m_liveBefore = rtTestLiveObjectCount();
        m_dir = std::filesystem::temp_directory_path() /
                ("rt_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        ASSERT_EQ(rtContextCreate(&m_context), RT_SUCCESS);
    }
    void TearDown() override {
        if (m_context) {
            EXPECT_EQ(rtContextDestroy(m_context), RT_SUCCESS);
        }
        rtTestClearFaults();
        EXPECT_EQ(rtTestLiveObjectCount(), m_liveBefore) << "objects outlived their context";
        std::filesystem::remove_all(m_dir);
    }

    // Writes a file into the test's folder and returns its path.
    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string ProgramFile(const std::string& entry) {
        return WriteFile(entry + ".ptx", ".version 7.0\n.target sm_75\n.address_size 64\n"
                                         ".visible .entry " + entry + "()\n{\n\tret;\n}\n");
    }
    RTprogram Program(const std::string& entry) {
        RTprogram p = nullptr;
        EXPECT_EQ(rtProgramCreateFromPTXFile(m_context, ProgramFile(entry).c_str(), entry.c_str(), &p),
                  RT_SUCCESS);
        return p;
    }
    std::string ErrorText(RTresult code) const {
        const char* text = nullptr;
        rtContextGetErrorString(m_context, code, &text);
        return text ? text : "";
    }

    RTcontext m_context = nullptr;
    std::filesystem::path m_dir;
    long m_liveBefore = 0;
};
