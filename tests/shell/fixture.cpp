#include "shell/fixture.h"

#include <unistd.h>

#include <string>

#include "platform/win/win.h"

int ShellTest::framesRun = 0;

namespace {
void StartSceneOne() {
    krSystemState.scene = 1;
}
}  // namespace

void ShellTest::SetUp() {
    headless::Install();
    headless::SetBoxEcho(false);
    krSystem::ResetForNextRun();
    framesRun = 0;
}

std::filesystem::path ShellTest::ScratchDirectory() {
    if (scratch_.empty()) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        scratch_ = std::filesystem::temp_directory_path() /
                   (std::string("kr-") + test->name() + "-" + std::to_string(::getpid()));
        std::filesystem::create_directories(scratch_);
    }
    return scratch_;
}

std::vector<std::string> ShellTest::ErrorTexts() {
    std::vector<std::string> texts;
    for (const headless::Box& box : headless::Boxes())
        texts.push_back(box.text);
    return texts;
}

void ShellTest::TearDown() {
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
    // Leave nothing running and no window behind for the next test.
    if (krSystemState.quitState != 2) krSystem::Quit();
    if (win::IsWindow(krSystemState.windowHandle)) win::DestroyWindow(krSystemState.windowHandle);
    MSG message;
    while (win::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void ShellTest::StartCountingClient(bool fullScreen) {
    krSystemState.fullScreen = fullScreen ? 1 : 0;
    krSystem::RegisterClient(StartSceneOne, {{1, CountFrame}});
    ASSERT_TRUE(krSystem::StartUp(nullptr, "--test", SW_SHOWNORMAL));
}

int ShellTest::RunUntilQuit(int limit) {
    int passes = 0;
    while (passes < limit && krSystem::RunLoopPass())
        ++passes;
    return passes;
}

void ShellTest::DrainMessages() {
    MSG message;
    while (win::PeekMessage(&message, nullptr, 0, 0, PM_NOREMOVE))
        krSystem::RunLoopPass();
}
