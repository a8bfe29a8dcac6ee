#include "platform/demo/demo_file.h"

#include <zlib.h>

#include <algorithm>

namespace demo {

namespace {

constexpr char kMagic[4] = {'K', 'R', 'D', 'M'};
constexpr uint64_t kHasEvents = 1;
constexpr size_t kSmallestEvent = 2;
constexpr size_t kChecksumBytes = 4;

uint32_t Checksum(const uint8_t* bytes, size_t size) {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), bytes, static_cast<uInt>(size)));
}

class Writer {
  public:
    void Byte(uint8_t value) { bytes_.push_back(value); }
    void Little(uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            Byte(static_cast<uint8_t>(value >> (8 * i)));
    }
    // Seven bits a byte, low bits first; the top bit says that more follow.
    void Varint(uint64_t value) {
        for (; value >= 0x80; value >>= 7)
            Byte(static_cast<uint8_t>(value | 0x80));
        Byte(static_cast<uint8_t>(value));
    }
    void Text(const std::string& text) {
        const size_t size = std::min(text.size(), kMaxTextBytes);
        Byte(static_cast<uint8_t>(size));
        bytes_.insert(bytes_.end(), text.begin(), text.begin() + static_cast<ptrdiff_t>(size));
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

void WriteEvent(Writer& out, const Event& event) {
    out.Byte(static_cast<uint8_t>(event.kind));
    out.Byte(event.code);
    if (event.kind != EventKind::Joystick) return;
    out.Byte(event.joystick.plugged ? 1 : 0);
    if (!event.joystick.plugged) return;
    out.Little(event.joystick.x, 2);
    out.Little(event.joystick.y, 2);
    out.Little(event.joystick.buttons, 4);
}

// Reads from the front; every read checks what is left, and the first failure sticks.
class Reader {
  public:
    Reader(const uint8_t* bytes, size_t size) : at_(bytes), end_(bytes + size) {}

    size_t Left() const { return static_cast<size_t>(end_ - at_); }
    bool Fail(const char* why) {
        if (why_ == nullptr) why_ = why;
        at_ = end_;
        return false;
    }
    const char* Why() const { return why_; }

    bool Byte(uint8_t* value) {
        if (Left() < 1) return Fail("truncated");
        *value = *at_++;
        return true;
    }
    template <typename T>
    bool Little(T* value) {
        if (Left() < sizeof(T)) return Fail("truncated");
        uint64_t read = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            read |= uint64_t{at_[i]} << (8 * i);
        at_ += sizeof(T);
        *value = static_cast<T>(read);
        return true;
    }
    // At most five bytes, for values up to 35 bits.
    bool Varint(uint64_t* value) {
        *value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            uint8_t byte = 0;
            if (!Byte(&byte)) return false;
            *value |= uint64_t{byte & 0x7Fu} << shift;
            if ((byte & 0x80) == 0) return true;
        }
        return Fail("a number too long");
    }
    // Printable ASCII only: the line is printed on a terminal.
    bool Text(std::string* text) {
        uint8_t size = 0;
        if (!Byte(&size)) return false;
        if (Left() < size) return Fail("truncated");
        text->assign(reinterpret_cast<const char*>(at_), size);
        at_ += size;
        const bool printable =
            std::all_of(text->begin(), text->end(), [](char c) { return c >= ' ' && c <= '~'; });
        return printable || Fail("unprintable text");
    }

  private:
    const uint8_t* at_;
    const uint8_t* end_;
    const char* why_ = nullptr;
};

bool ReadJoystick(Reader& in, JoystickState* joystick) {
    uint8_t plugged = 0;
    if (!in.Byte(&plugged)) return false;
    if (plugged > 1) return in.Fail("a bad joystick state");
    joystick->plugged = plugged == 1;
    if (!joystick->plugged) return true;
    return in.Little(&joystick->x) && in.Little(&joystick->y) && in.Little(&joystick->buttons);
}

bool ReadEvent(Reader& in, uint32_t frame, Event* event) {
    uint8_t kind = 0;
    event->frame = frame;
    if (!in.Byte(&kind) || !in.Byte(&event->code)) return false;
    event->kind = static_cast<EventKind>(kind);
    switch (event->kind) {
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            if (frame == 0) return in.Fail("a key before the first frame");
            return (event->code >= 1 && event->code <= 254) || in.Fail("a bad key code");
        case EventKind::Joystick:
            if (event->code >= kJoysticks) return in.Fail("a bad joystick number");
            return ReadJoystick(in, &event->joystick);
    }
    return in.Fail("an unknown event");
}

bool ReadFrame(Reader& in, uint32_t frame, Demo* demo) {
    uint64_t head = 0;
    if (!in.Varint(&head)) return false;
    const uint64_t milliseconds = head >> 1;
    if (milliseconds > UINT32_MAX || (frame == 0 && milliseconds != 0))
        return in.Fail("a bad frame time");
    demo->frameMilliseconds.push_back(static_cast<uint32_t>(milliseconds));
    if ((head & kHasEvents) == 0) return true;
    uint64_t count = 0;
    if (!in.Varint(&count)) return false;
    if (count == 0 || count > in.Left() / kSmallestEvent) return in.Fail("a bad event count");
    for (uint64_t i = 0; i < count; ++i) {
        demo->events.emplace_back();
        if (!ReadEvent(in, frame, &demo->events.back())) return false;
    }
    return true;
}

bool ReadHeader(Reader& in, Demo* demo, uint32_t* frames) {
    for (char expected : kMagic) {
        uint8_t byte = 0;
        if (in.Left() == 0 || !in.Byte(&byte) || byte != static_cast<uint8_t>(expected))
            return in.Fail("not a demo");
    }
    uint16_t version = 0;
    if (!in.Little(&version)) return false;
    if (version != kFormatVersion) return in.Fail("another format version");
    return in.Text(&demo->programVersion) && in.Little(&demo->seed) &&
           in.Little(&demo->startTick) && in.Little(frames);
}

}  // namespace

std::vector<uint8_t> Encode(const Demo& demo) {
    Writer out;
    for (char c : kMagic)
        out.Byte(static_cast<uint8_t>(c));
    out.Little(kFormatVersion, 2);
    out.Text(demo.programVersion);
    out.Little(demo.seed, 4);
    out.Little(demo.startTick, 4);
    const size_t frames = demo.frameMilliseconds.size();
    out.Little(frames == 0 ? 0 : frames - 1, 4);
    auto event = demo.events.begin();
    for (size_t frame = 0; frame < std::max<size_t>(frames, 1); ++frame) {
        const auto last = std::find_if(event, demo.events.end(),
                                       [&](const Event& e) { return e.frame != frame; });
        const uint64_t milliseconds = frame < frames ? demo.frameMilliseconds[frame] : 0;
        out.Varint(milliseconds << 1 | (last != event ? kHasEvents : 0));
        if (last == event) continue;
        out.Varint(static_cast<uint64_t>(last - event));
        for (; event != last; ++event)
            WriteEvent(out, *event);
    }
    out.Text(demo.closingLine);
    out.Little(Checksum(out.Bytes().data(), out.Bytes().size()), 4);
    return std::move(out.Bytes());
}

bool Decode(const uint8_t* bytes, size_t size, Demo* demo, std::string* why) {
    *demo = Demo{};
    if (size > kMaxFileBytes) {
        *why = "larger than any demo (8 MiB)";
        return false;
    }
    Reader in(bytes, size);
    uint32_t frames = 0;
    bool read = ReadHeader(in, demo, &frames);
    // Every frame takes a byte at least: a count beyond the file is a lie.
    if (read && frames >= in.Left()) read = in.Fail("more frames than the file holds");
    if (read) demo->frameMilliseconds.reserve(size_t{frames} + 1);
    for (uint32_t frame = 0; read && frame <= frames; ++frame)
        read = ReadFrame(in, frame, demo);
    uint32_t checksum = 0;
    read = read && in.Text(&demo->closingLine) && in.Little(&checksum);
    if (read && in.Left() != 0) read = in.Fail("bytes after the end");
    if (read && checksum != Checksum(bytes, size - kChecksumBytes)) read = in.Fail("damaged");
    if (!read) {
        *why = in.Why();
        *demo = Demo{};
    }
    return read;
}

}  // namespace demo
