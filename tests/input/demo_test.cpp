// Demos: a run recorded on the headless backend plays back frame for frame (seed, clock, keys,
// joystick), and every damaged or hostile demo file is refused with one line naming it.
#include <gtest/gtest.h>
#include <kr/kr.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/backend/headless/headless.h"
#include "platform/demo/demo_file.h"
#include "platform/win/win.h"
#include "shell/fixture.h"

namespace {

// What the client saw in one frame.
struct Seen {
    int32_t lastKey, direction, direction1, button;
    uint32_t tick;
    int random;
    friend bool operator==(const Seen&, const Seen&) = default;
};
std::vector<Seen> seen;

void StartWithInput() {
    krInput::Start();
    krSystemState.scene = 1;
}
void Watch() {
    seen.push_back({krSystemState.lastKey, krInput::GetDirection(0), krInput::GetDirection(1),
                    krInput::IsButtonDown(0, 1), win::GetTickCount(), crt::rand()});
}

class DemoTest : public ShellTest {
  protected:
    void TearDown() override {
        krDemo::Finish("");
        ShellTest::TearDown();
    }

    void Start() {
        seen.clear();
        krSystem::RegisterClient(StartWithInput, {{1, Watch}});
        ASSERT_TRUE(krSystem::StartUp(nullptr, "", SW_SHOWNORMAL));
    }
    // One frame after the given milliseconds.
    void Frame(uint32_t milliseconds) {
        headless::AdvanceClock(milliseconds);
        const size_t before = seen.size();
        while (seen.size() == before && krSystem::RunLoopPass()) {
        }
    }
};

// A run recorded with keys and a joystick plays back frame for frame in a fresh program, live
// joysticks and keys other than Escape unseen; Escape pressed live ends the playback through the
// closing scene.
TEST_F(DemoTest, APlaybackSeesTheRecordedSeedClockKeysAndJoystickAndNothingLive) {
    const std::string path = (ScratchDirectory() / "walk.demo").string();
    ASSERT_EQ(krDemo::Record(path.c_str()), 1);
    backend::JoystickReading& stick = headless::PlugJoystick();
    Start();
    for (uint32_t frame = 1; frame <= 40; ++frame) {
        if (frame == 5) headless::PressKey(VK_LEFT);
        if (frame == 9) headless::ReleaseKey(VK_LEFT);
        stick.axes[0] = frame < 8 || (frame >= 12 && frame < 20) ? 32767 : 0;  // at rest at start
        stick.buttons = frame >= 15 ? 1 : 0;
        if (frame == 30) headless::PressKey(VK_UP);
        Frame(10 + frame % 7);
    }
    krSystem::Quit();
    RunUntilQuit();
    ASSERT_EQ(krDemo::Finish("frames=40 end"), 1);
    const std::vector<Seen> recorded = seen;
    ASSERT_EQ(recorded.size(), 40u);
    EXPECT_EQ(recorded[2].direction * 10 + recorded[16].button, 61)
        << "the recording saw the stick";
    for (const bool escape : {false, true}) {
        headless::Install(777);  // a fresh program on a fresh backend, as another process would be
        krSystem::ResetForNextRun();
        ASSERT_EQ(krDemo::Play(path.c_str()), 1);
        EXPECT_EQ(krDemo::FrameCount(), 40u);
        EXPECT_STREQ(krDemo::RecordedLine(), "frames=40 end");
        headless::PlugJoystick();  // live joysticks: the second is absent from the demo
        headless::PlugJoystick().axes[0] = -32768;
        Start();
        Frame(1);
        headless::PressKey(escape ? VK_ESCAPE : 'A');
        RunUntilQuit();
        EXPECT_EQ(krSystemState.quitState, 2);
        EXPECT_TRUE(escape ? seen.size() < recorded.size() : seen == recorded) << escape;
    }
}

std::string Le(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}
std::string Header(uint32_t frames, uint16_t version = 1) {
    return "KRDM" + Le(version, 2) + "\x03" + "0.1" + Le(7, 4) + Le(1000, 4) + Le(frames, 4);
}
// The body with its CRC-32, as the writer ends a file.
std::string Sealed(const std::string& body) {
    const auto* bytes = reinterpret_cast<const Bytef*>(body.data());
    return body + Le(crc32(crc32(0, nullptr, 0), bytes, static_cast<uInt>(body.size())), 4);
}
// Frame 0, then frame 1 (16 ms) with the given events, then the closing line.
std::string OneFrame(const std::string& events, const std::string& line = "\x02ok") {
    const std::string frame1 = events.empty() ? std::string("\x20") : "\x21" + events;
    return Sealed(Header(1) + '\0' + frame1 + line);
}

bool Decodes(const std::string& bytes, std::string* why) {
    demo::Demo decoded;
    return demo::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &decoded,
                        why);
}

TEST(DemoFile, WhatTheWriterWritesReadsBackTheSame) {
    demo::Demo demo;
    demo.programVersion = "0.1";
    demo.seed = 0xDEADBEEF;
    demo.startTick = 4000000000u;
    demo.frameMilliseconds = {0, 16, 17, UINT32_MAX, 0};
    demo.events = {{0, demo::EventKind::Joystick, 1, {true, 65535, 0, 0x80000001u}},
                   {1, demo::EventKind::KeyDown, 38, {}},
                   {3, demo::EventKind::KeyUp, 38, {}},
                   {3, demo::EventKind::Joystick, 1, {}},
                   {4, demo::EventKind::KeyDown, 254, {}}};
    demo.closingLine = "frames=4 quitState=2";
    const std::vector<uint8_t> bytes = demo::Encode(demo);
    demo::Demo read;
    std::string why;
    ASSERT_TRUE(demo::Decode(bytes.data(), bytes.size(), &read, &why)) << why;
    EXPECT_EQ(std::tie(read.programVersion, read.seed, read.startTick, read.frameMilliseconds,
                       read.events, read.closingLine),
              std::tie(demo.programVersion, demo.seed, demo.startTick, demo.frameMilliseconds,
                       demo.events, demo.closingLine));
    // Every shorter file is refused.
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(demo::Decode(bytes.data(), size, &read, &why)) << size;
}

TEST(DemoFile, DamagedAndHostileFilesAreRefusedWithTheReason) {
    std::string good;
    ASSERT_TRUE(Decodes(OneFrame("\x01\x01\x26"), &good)) << good;
    const std::string valid = OneFrame("");
    const struct {
        const char* name;
        std::string bytes;
        const char* why;
    } cases[] = {
        {"empty", "", "not a demo"},
        {"another kind of file", "GIF89a", "not a demo"},
        {"a later format", Sealed(Header(1, 2) + '\0' + "\x20\x02ok"), "another format version"},
        {"a frame count beyond the file", Sealed(Header(0xFFFFFFFF) + '\0'),
         "more frames than the file holds"},
        {"time before the first frame", Sealed(Header(1) + "\x02\x20\x02ok"), "a bad frame time"},
        {"no events where some are said", OneFrame(std::string(1, '\0')), "a bad event count"},
        {"an event count beyond the file", OneFrame("\x7f\x01\x26"), "a bad event count"},
        {"key code 0", OneFrame(std::string("\x01\x01") + '\0'), "a bad key code"},
        {"key code 255", OneFrame("\x01\x01\xff"), "a bad key code"},
        {"a key before the first frame", Sealed(Header(1) + "\x01\x01\x01\x26\x20\x02ok"),
         "a key before the first frame"},
        {"an unknown event", OneFrame("\x01\x09\x01"), "an unknown event"},
        {"joystick 2", OneFrame(std::string("\x01\x03\x02") + '\0'), "a bad joystick number"},
        {"a joystick neither in nor out", OneFrame(std::string("\x01\x03") + '\0' + "\x02"),
         "a bad joystick state"},
        {"a number that never ends", Sealed(Header(1) + '\0' + "\x80\x80\x80\x80\x80\x80"),
         "a number too long"},
        {"terminal codes in the line", OneFrame("", "\x04\x1b[2J"), "unprintable text"},
        {"a cut line", Sealed(Header(1) + '\0' + "\x20\x09ok"), "truncated"},
        {"bytes after the end", valid + "x", "bytes after the end"},
        {"a changed byte", valid.substr(0, valid.size() - 5) + "X" + valid.substr(valid.size() - 4),
         "damaged"},
        {"larger than any demo", std::string(demo::kMaxFileBytes + 1, 'K'),
         "larger than any demo (8 MiB)"},
    };
    for (const auto& test : cases) {
        std::string why;
        EXPECT_FALSE(Decodes(test.bytes, &why)) << test.name;
        EXPECT_EQ(why, test.why) << test.name;
    }
}

TEST_F(DemoTest, ADemoThatCannotBeReadOrWrittenIsRefusedInOneLineNamingIt) {
    const std::filesystem::path folder = ScratchDirectory();
    std::ofstream(folder / "huge.demo").close();
    std::filesystem::resize_file(folder / "huge.demo", demo::kMaxFileBytes + 1);
    ASSERT_EQ(::mkfifo((folder / "pipe.demo").c_str(), 0600), 0);
    const struct {
        std::string name;
        int32_t (*open)(const char* path);
        const char* why;
    } cases[] = {{"huge.demo", krDemo::Play, "larger than any demo (8 MiB)"},
                 {"pipe.demo", krDemo::Play, "not a regular file"},
                 {"", krDemo::Play, "not a regular file"},  // the folder itself
                 {"missing.demo", krDemo::Play, "No such file or directory"},
                 {"missing/x.demo", krDemo::Record, "No such file or directory"}};
    for (const auto& test : cases) {
        const std::string path = (folder / test.name).string();
        EXPECT_EQ(test.open(path.c_str()), 0) << test.name;
        EXPECT_EQ(krDemo::Error(), "demo " + path + ": " + test.why);
        EXPECT_EQ(krDemo::IsPlaying(), 0);
    }
}

}  // namespace
