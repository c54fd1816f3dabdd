// The program's switches: "AUTOSTART", "PAUSE" and "/RESTART:" with a
// process id, and how loosely they are read.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "postling/app/CommandLine.h"

namespace {

std::string OwnPid() { return std::to_string(GetCurrentProcessId()); }

void ExpectNoRestart(const CPostlingCommandLineInfo& info) {
    EXPECT_FALSE(info.m_bRestart);
    EXPECT_EQ(info.m_dwRestartPid, 0u);
    EXPECT_EQ(info.m_hRestartProcess, nullptr);
}

}  // namespace

TEST(CommandLine, AllFieldsZeroAfterConstruction) {
    CPostlingCommandLineInfo info;
    EXPECT_FALSE(info.m_bAutoStart);
    EXPECT_FALSE(info.m_bPause);
    ExpectNoRestart(info);
}

TEST(CommandLine, SwitchesIgnoreCase) {
    CPostlingCommandLineInfo info;
    info.ParseParam("autostart", true, false);
    EXPECT_TRUE(info.m_bAutoStart);
    EXPECT_FALSE(info.m_bPause);
    info.ParseParam("Pause", true, true);
    EXPECT_TRUE(info.m_bPause);
    ExpectNoRestart(info);
}

TEST(CommandLine, ArgumentsThatAreNoSwitchesAndOtherSwitchesAreIgnored) {
    CPostlingCommandLineInfo info;
    info.ParseParam("AUTOSTART", false, false);
    info.ParseParam("PAUSE", false, false);
    info.ParseParam("AUTOSTARTX", true, false);
    info.ParseParam("PAUS", true, false);
    info.ParseParam("p", true, false);     // the framework's print switch
    info.ParseParam("Embedding", true, true);
    EXPECT_FALSE(info.m_bAutoStart);
    EXPECT_FALSE(info.m_bPause);
    ExpectNoRestart(info);
}

TEST(CommandLine, RestartOpensTheProcess) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("restart:" + OwnPid());
    EXPECT_TRUE(info.m_bRestart);
    EXPECT_EQ(info.m_dwRestartPid, GetCurrentProcessId());
    ASSERT_NE(info.m_hRestartProcess, nullptr);
    EXPECT_EQ(GetProcessId(info.m_hRestartProcess), GetCurrentProcessId());
    // Open for waiting: our own process has not ended.
    EXPECT_EQ(WaitForSingleObject(info.m_hRestartProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(CommandLine, RestartSkipsTheEighthCharacterUnchecked) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("RESTARTX" + OwnPid());
    EXPECT_TRUE(info.m_bRestart);
    EXPECT_EQ(info.m_dwRestartPid, GetCurrentProcessId());
    EXPECT_NE(info.m_hRestartProcess, nullptr);
}

TEST(CommandLine, RestartWithASignedNumber) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("RESTART:+" + OwnPid());
    EXPECT_TRUE(info.m_bRestart);
    EXPECT_EQ(info.m_dwRestartPid, GetCurrentProcessId());
}

TEST(CommandLine, RestartWithoutAValidNumberIsIgnored) {
    for (const char* text : {"RESTART", "RESTART:", "RESTART:12a", "RESTART:-", "RESTART: 12",
                             "RESTART:1.5"}) {
        CPostlingCommandLineInfo info;
        info.ParseSwitch(text);
        ExpectNoRestart(info);
    }
}

TEST(CommandLine, RestartOfAProcessThatCannotBeOpenedIsIgnored) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("RESTART:4000000000");
    ExpectNoRestart(info);
}

TEST(CommandLine, ALaterBadRestartClearsAnEarlierGoodOne) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("RESTART:" + OwnPid());
    ASSERT_TRUE(info.m_bRestart);
    info.ParseSwitch("RESTART:x");
    ExpectNoRestart(info);
}

TEST(CommandLine, ThroughTheFrameworksSplitting) {
    CPostlingCommandLineInfo info;
    std::string restart = "/RESTART:" + OwnPid();
    const char* argv[] = {"-AUTOSTART", "mailbox", "/pause", restart.c_str()};
    CWinApp::ParseCommandLine(info, 4, argv);
    EXPECT_TRUE(info.m_bAutoStart);
    EXPECT_TRUE(info.m_bPause);
    EXPECT_TRUE(info.m_bRestart);
    EXPECT_EQ(info.m_dwRestartPid, GetCurrentProcessId());
}

TEST(CommandLine, TakeRestartProcessHandsTheHandleOver) {
    CPostlingCommandLineInfo info;
    info.ParseSwitch("RESTART:" + OwnPid());
    HANDLE process = info.TakeRestartProcess();
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(info.m_hRestartProcess, nullptr);
    EXPECT_TRUE(CloseHandle(process));
}
