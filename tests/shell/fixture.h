#pragma once
// A fresh shell on the headless backend for every test.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "shell/shell.h"

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Registers a client whose scene 1 counts its frames, and starts the program.
    void StartCountingClient(bool fullScreen = true);
    // Runs passes until WM_QUIT or the limit; returns the passes run.
    int RunUntilQuit(int limit = 1000);
    // Posts nothing: runs exactly one pass.
    bool Pass() { return krSystem::RunLoopPass(); }
    // Takes every waiting message (no frame runs while messages wait).
    void DrainMessages();
    // A fresh folder for the test's files, removed afterwards.
    std::filesystem::path ScratchDirectory();
    // The texts of the boxes shown so far.
    static std::vector<std::string> ErrorTexts();

  private:
    std::filesystem::path scratch_;

  public:
    static int framesRun;
    // A scene that counts its frames in framesRun.
    static void CountFrame() { ++framesRun; }
};
