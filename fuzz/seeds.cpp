// Writes the fuzzers' first inputs with the project's own writers: pictures, sounds, tunes,
// the game's models (text, compressed and binary) and small text files.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bmp_writer.h"
#include "platform/demo/demo_file.h"
#include "sound_writer.h"
#include "x_writer.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}
void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    Write(path, std::string(bytes.begin(), bytes.end()));
}

std::string ReadAll(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// A short walk: keys, a joystick plugged in and moved, frames of 16 and 17 ms.
demo::Demo Walk() {
    demo::Demo walk;
    walk.programVersion = "0.1";
    walk.seed = 1765056000;
    walk.startTick = 123456;
    walk.frameMilliseconds.assign(40, 16);
    walk.frameMilliseconds[0] = 0;
    walk.frameMilliseconds[7] = 17;
    walk.events = {{0, demo::EventKind::Joystick, 0, {true, 32767, 32767, 0}},
                   {3, demo::EventKind::KeyDown, 39, {}},
                   {5, demo::EventKind::KeyUp, 39, {}},
                   {9, demo::EventKind::Joystick, 0, {true, 32767, 0, 1}},
                   {20, demo::EventKind::Joystick, 1, {}},
                   {39, demo::EventKind::KeyDown, 27, {}}};
    walk.closingLine = "frames=30 mazeSteps=62 playerX=0 playerY=-2 quitState=2";
    return walk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const fs::path out = argv[1], data = argv[2];
    for (const char* name : {"SAMPLE8.X", "ball.X"}) {
        const std::string text = ReadAll(data / name);
        Write(out / "x" / name, text);
        Write(out / "x" / (std::string(name) + ".tzip"), assets::CompressedX(text));
    }
    Write(out / "x" / "triangle.bin", assets::BinaryTriangleX());

    assets::Picture picture(5, 3, {200, 10, 10});
    picture.FillRect(1, 1, 3, 2, {0, 0, 255});
    Write(out / "bmp" / "small.bmp", assets::EncodeBmp(picture));
    Write(out / "bmp" / "blue.BMP", ReadAll(data / "blue.BMP"));

    for (const assets::PcmFormat& format :
         {assets::PcmFormat{8000, 1, 8}, assets::PcmFormat{22050, 2, 16}}) {
        const auto samples = assets::PcmSamples(format, assets::Tone(format, 0.01, 440, 0.5));
        const std::string name = "tone-" + std::to_string(format.bits) + ".wav";
        // A resource holds the image of the file.
        Write(out / "wav" / name, assets::EncodeWave(format, samples));
        Write(out / "wav_resource" / name, assets::EncodeWave(format, samples));
    }

    assets::Melody melody;
    melody.notes = {{60, 0, 24, 100}, {64, 24, 24, 90}};
    melody.endTick = 48;
    Write(out / "midi" / "two-notes.mid", assets::EncodeMidi(melody));

    Write(out / "data_root" / "root.txt", std::string("/tmp/kirva-save\n"));
    Write(out / "number" / "score.txt", std::string("12345"));
    Write(out / "demo" / "walk.demo", demo::Encode(Walk()));
    Write(out / "demo" / "empty.demo", demo::Encode(demo::Demo{}));
    return 0;
}
