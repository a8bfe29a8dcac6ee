// The maze game as a player sees it, replayed on the headless backend.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "draw/display.h"
#include "maze.h"
#include "maze_scene.h"
#include "picture.h"
#include "platform/backend/headless/headless.h"
#include "platform/backend/headless/headless_audio.h"
#include "platform/dd/dd.h"
#include "platform/rm/matrix.h"
#include "replay.h"

namespace {

constexpr int32_t kUp = 38, kDown = 40, kLeft = 37, kRight = 39;

replay::Options ReplayOptions(int32_t frames) {
    replay::Options options;
    options.frames = frames;
    options.dataDirectory = KR_DATA_DIR;
    return options;
}

replay::Outcome Replay(replay::Options options) {
    const replay::Outcome outcome = replay::Run(options);
    EXPECT_TRUE(outcome.quitNormally);
    EXPECT_EQ(outcome.frames, options.frames);
    return outcome;
}

// Calls the action after the given frame only.
std::function<void(int32_t)> AtFrame(int32_t at, std::function<void()> action) {
    return [at, action](int32_t frame) {
        if (frame == at) action();
    };
}

// The replay's seed is the generator's: the same seed gives the same maze, another another. A
// replay is silent and quick to start and end: the sound goes to the hand-pulled device (no
// audio thread to wait for at exit) and the music synthesiser, unused, is never loaded.
TEST(MazeReplay, TheSeedChoosesTheMazeAndNoSoundDeviceOpens) {
    auto run = [](uint32_t seed) {
        replay::Options options = ReplayOptions(56);
        options.seed = seed;
        // The scene's first frame takes two steps, every later one one: 110 after frame 54.
        options.afterFrame = AtFrame(54, [] {
            EXPECT_EQ(maze.mazeSteps, 110);
            EXPECT_TRUE(headless::AudioOpen());
        });
        Replay(options);
        return maze;
    };
    const MazeModel first = run(1), again = run(1), other = run(2);
    EXPECT_EQ(std::memcmp(&first, &again, sizeof first), 0);
    EXPECT_NE(std::memcmp(first.verticalWall, other.verticalWall, sizeof first.verticalWall), 0);
    EXPECT_EQ(dlopen("libfluidsynth.so.3", RTLD_LAZY | RTLD_NOLOAD), nullptr);
    // The summary line that replays print and demos end with.
    EXPECT_EQ(MazeStateLine(56),
              "frames=56 mazeSteps=112 wallsRemoved=63 playerX=0 playerY=-1 "
              "heading=0 facing=0 quitState=2");
}

// Turns after the maze is complete: each command runs four frames in 22.5-degree steps; the
// heading is brought back into 0 to 360 only when the turn ends. Key presses: {frame, key, held
// frames}; a held key repeats every four frames; the down arrow does nothing.
struct TurnCase {
    const char* name;
    std::vector<replay::KeyPress> keys;
    std::vector<std::pair<int32_t, float>> headings;  // {frame, heading}
    int32_t facing;                                   // at the end
};

const TurnCase kTurns[] = {
    {"four right turns make 360, the fifth 90",
     {{60, kRight, 1}, {64, kRight, 1}, {68, kRight, 1}, {72, kRight, 1}, {80, kRight, 1}},
     {{62, 45.0f}, {76, 360.0f}, {79, 360.0f}, {83, 427.5f}, {84, 90.0f}},
     1},
    {"a left turn from 0 is 270", {{60, kLeft, 1}}, {{63, -67.5f}, {64, 270.0f}}, 3},
    {"a held key repeats every four frames", {{60, kRight, 9}}, {{72, 270.0f}}, 3},
    {"the down arrow does nothing", {{10, kDown, 80}}, {{60, 0.0f}, {90, 0.0f}}, 0}};

TEST(MazeReplay, HeadingFacingAndCameraFollowTheKeys) {
    for (const TurnCase& c : kTurns) {
        SCOPED_TRACE(c.name);
        replay::Options options = ReplayOptions(100);
        options.keys = c.keys;
        options.afterFrame = [&c](int32_t frame) {
            for (const auto& [at, heading] : c.headings)
                if (frame == at) {
                    EXPECT_FLOAT_EQ(mazeScene.heading, heading) << "frame " << frame;
                }
        };
        Replay(options);
        // A turn keeps the cell, whose centre is (8, -8), and circles the camera round that centre,
        // one 16-unit cell behind the way the player faces.
        EXPECT_EQ(mazeScene.playerX, 0);
        EXPECT_EQ(mazeScene.playerY, -1);
        EXPECT_EQ(mazeScene.facing, c.facing);
        const double angle = c.facing * std::numbers::pi / 2;
        EXPECT_NEAR(mazeScene.cameraX, 8 - 16 * std::sin(angle), 1e-4);
        EXPECT_NEAR(mazeScene.cameraZ, -8 + 16 * std::cos(angle), 1e-4);
    }
}

TEST(ReplayArguments, AreReadAndCheckedLikeTheToolsLine) {
    replay::Options options;
    std::string error;
    const char* good[] = {"kirva-replay", "--seed", "7",         "--frames", "30",
                          "--tick",       "20",     "--key",     "5:38",     "--key",
                          "9:39:3",       "--shot", "4:a b.png", "--bench"};
    ASSERT_TRUE(replay::ParseArguments(14, good, &options, &error)) << error;
    EXPECT_EQ(options.seed, 7u);
    EXPECT_EQ(options.frames, 30);
    EXPECT_EQ(options.tick, 20u);
    ASSERT_EQ(options.keys.size(), 2u);
    EXPECT_EQ(options.keys[0].hold, 1);
    EXPECT_EQ(options.keys[1].virtualKey, 39);
    EXPECT_EQ(options.keys[1].hold, 3);
    ASSERT_EQ(options.shots.size(), 1u);
    EXPECT_EQ(options.shots[0].file, "a b.png");
    EXPECT_TRUE(options.bench);
    // Each option with its bad values.
    const std::vector<std::vector<const char*>> bad = {
        {"--key", "x", "0", "-3", "5:", "5:38:", "5:38:0", "5:300", "5:38x", "", ":3", "0:38",
         "5:0"},
        {"--frames", "0"},
        {"--seed", "99999999999", "-1"},
        {"--tick", "60001"},
        {"--shot", "3:"},
        {"--lose-every", "0"},
        {"--frame", "3"}};
    for (const std::vector<const char*>& values : bad) {
        for (size_t i = 1; i < values.size(); ++i) {
            const char* line[] = {"r", values[0], values[i]};
            replay::Options ignored;
            EXPECT_FALSE(replay::ParseArguments(3, line, &ignored, &error)) << values[i];
        }
    }
    const char* zero[] = {"r", "--seed", "0", "--tick", "0"};  // the lowest of each
    ASSERT_TRUE(replay::ParseArguments(5, zero, &options, &error)) << error;
    EXPECT_EQ(options.seed, 0u);
    EXPECT_EQ(options.tick, 0u);
    const char* missing[] = {"r", "--tick"};
    EXPECT_FALSE(replay::ParseArguments(2, missing, &options, &error));
}

// The joystick pushed forward and the right arrow in the same frame, in front of a standing
// wall: the turn starts, the step does not. Meanwhile the ball spins every frame by 22.5 degrees
// about its own y axis, then about its own x axis (row vectors, left-handed turns).
TEST(MazeReplay, ABlockedStepLeavesTheSameFramesTurnRunning) {
    const float c = std::cos(std::numbers::pi_v<float> / 8),
                s = std::sin(std::numbers::pi_v<float> / 8);
    const rm::Matrix turnY = {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
    const rm::Matrix turnX = {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
    rm::Matrix ball{};
    replay::Options options = ReplayOptions(10);
    options.keys.push_back({2, kRight, 1});
    options.afterFrame = [&](int32_t frame) {
        const rm::Matrix expected = turnX * turnY * ball;
        mazeScene.ballModel->GetTransform(ball.m);
        for (int i = 0; i < 16 && frame > 1; ++i)
            EXPECT_NEAR(ball.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-4) << frame;
        if (frame == 1) {
            // Plugged in while the game runs: measured at rest when it first answers.
            backend::JoystickReading& stick = headless::PlugJoystick();
            EXPECT_EQ(krInput::GetDirection(0), 5);
            stick.axes[1] = -32768;
        }
        if (frame == 2) {
            ASSERT_NE(WallAhead(), 0);
            EXPECT_EQ(krInput::GetDirection(0), 8);
            EXPECT_EQ(mazeScene.moveCommand, kRight);
            EXPECT_EQ(mazeScene.moveFramesLeft, 4);
        }
    };
    Replay(options);
    EXPECT_EQ(mazeScene.playerX, 0);
    EXPECT_EQ(mazeScene.playerY, -1);
}

// Without its data files the game reports each failed load and plays on without those objects.
TEST(MazeReplay, MissingDataFilesAreReportedAndTheGameGoesOn) {
    const std::string empty = ::testing::TempDir() + "kr-no-data";
    std::filesystem::create_directories(empty);
    replay::Options options = ReplayOptions(60);
    options.dataDirectory = empty;
    options.keys.push_back({56, kUp, 1});
    Replay(options);
    EXPECT_EQ(headless::Boxes().size(), 6u);
    EXPECT_EQ(maze.mazeSteps, 112);
    std::filesystem::remove_all(empty);
}

// The first pixel of a draw object, swapped for another through a lock.
uint16_t SwapFirstPixel(int32_t object, uint16_t value) {
    dd::Surface* surface = krDraw::sprites[object].surface;
    dd::DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(surface->Lock(nullptr, &desc, dd::DDLOCK_WAIT, nullptr), dd::DD_OK);
    const uint16_t old = *static_cast<uint16_t*>(desc.lpSurface);
    *static_cast<uint16_t*>(desc.lpSurface) = value;
    surface->Unlock(nullptr);
    return old;
}

// Faults the platform can inject while the game runs: each run, set up by its row, goes on to
// the normal end with the same game state and the same picture.
struct InjectedFault {
    const char* name;
    std::function<void(replay::Options&)> setUp;
};

// A run of 90 frames, walking and turning, with a picture at frame 85; the summary line and the
// picture's bytes.
std::pair<std::string, Picture> FaultRun(const InjectedFault* fault) {
    const std::string shot = ::testing::TempDir() + "kr-fault-" + std::to_string(getpid()) + ".png";
    replay::Options options = ReplayOptions(90);
    options.keys = {{30, kRight, 1}, {60, kUp, 1}, {70, kRight, 1}};
    options.shots.push_back({85, shot});
    if (fault != nullptr) fault->setUp(options);
    const replay::Outcome outcome = Replay(options);
    const Picture picture = Picture::FromPng(shot);
    std::filesystem::remove(shot);
    return {replay::Summary(outcome, false), picture};
}

const InjectedFault kInjectedFaults[] = {
    // Lost after every 7th frame, so frame 85 is the first after a loss. A mark on the glyph
    // sheet before the first loss is gone after it: the sheet was reloaded.
    {"SurfacesLostEverySeventhFrame",
     [](replay::Options& options) {
         options.loseEvery = 7;
         options.afterFrame = [](int32_t frame) {
             if (frame == 6) SwapFirstPixel(mazeScene.fontSprite, 0x1234);
             if (frame == 8) {
                 EXPECT_NE(SwapFirstPixel(mazeScene.fontSprite, 0), 0x1234) << "nothing lost";
             }
         };
     }},
    {"BlitterStillDrawing",
     [](replay::Options& options) {
         options.afterFrame = AtFrame(40, [] { dd::test::AnswerStillDrawing(8); });
     }},
    {"AudioDeviceRefused", [](replay::Options&) { headless::InstallManualAudio(false); }},
};

TEST(MazeReplay, InjectedFaultsLoseNothing) {
    const auto reference = FaultRun(nullptr);
    ASSERT_TRUE(reference.second.Loaded());
    for (const InjectedFault& fault : kInjectedFaults) {
        const auto faulted = FaultRun(&fault);
        headless::UninstallManualAudio();
        EXPECT_EQ(faulted.first, reference.first) << fault.name;
        EXPECT_EQ(faulted.second.Differing(reference.second), 0) << fault.name << ", frame 85";
    }
}

}  // namespace
