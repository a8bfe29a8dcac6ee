// Walks the templates of a text or binary .X file and checks their declared counts.
#include "platform/rm/xfile_check.h"

#include <zlib.h>

#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "platform/rm/rm.h"

namespace rm::xfile {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr std::streamoff kLargestFile = 256 << 20;
// Compressed files: a few bytes of their own, then blocks of a 16-bit length, "CK" and that
// many bytes of deflate data, each inflating to at most one block's worth.
constexpr size_t kCompressedPrologue = 6;
constexpr size_t kInflatedBlock = 32786;
constexpr size_t kLargestInflated = 64 << 20;

enum class Kind { kEnd, kName, kOpen, kClose, kNumber, kOther, kBroken };

struct Token {
    Kind kind;
    std::string_view name;
    double number;
};

// Tokens of the text format: names, braces, numbers; strings, GUIDs and separators are skipped.
class TextReader {
  public:
    explicit TextReader(std::string_view body) : text_(body) {}

    Token Next() {
        SkipSpace();
        if (at_ >= text_.size()) return {Kind::kEnd, {}, 0};
        const char c = text_[at_];
        if (c == '{' || c == '}') {
            ++at_;
            return {c == '{' ? Kind::kOpen : Kind::kClose, {}, 0};
        }
        if (c == '"' || c == '<') return SkipQuoted(c == '"' ? '"' : '>');
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.')
            return ReadNumber();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return ReadName();
        ++at_;
        return {Kind::kOther, {}, 0};
    }

  private:
    void SkipSpace() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '#' || (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/')) {
                while (at_ < text_.size() && text_[at_] != '\n')
                    ++at_;
            } else if (std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ';') {
                ++at_;
            } else {
                return;
            }
        }
    }
    Token SkipQuoted(char close) {
        const size_t end = text_.find(close, at_ + 1);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
        return {Kind::kOther, {}, 0};
    }
    Token ReadNumber() {
        const size_t start = at_;
        while (at_ < text_.size() && std::strchr("0123456789+-.eE", text_[at_]) != nullptr)
            ++at_;
        const std::string digits(text_.substr(start, at_ - start));
        char* end = nullptr;
        const double value = std::strtod(digits.c_str(), &end);
        return {end == digits.c_str() ? Kind::kOther : Kind::kNumber, {}, value};
    }
    Token ReadName() {
        const size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                      text_[at_] == '_' || text_[at_] == '-'))
            ++at_;
        return {Kind::kName, text_.substr(start, at_ - start), 0};
    }

    std::string_view text_;
    size_t at_ = 0;
};

// Tokens of the binary format; number lists are handed out one number at a time.
class BinaryReader {
  public:
    BinaryReader(std::string_view body, size_t floatBytes) : data_(body), floatBytes_(floatBytes) {}

    Token Next() {
        if (listLeft_ > 0) return NextListNumber();
        if (at_ + 2 > data_.size()) return {Kind::kEnd, {}, 0};
        const uint16_t token = Word();
        switch (token) {
            case 1:
                return Name();
            case 2:
                return Skip(Dword(), Kind::kOther);
            case 3:
                return {Fits(4) ? Kind::kNumber : Kind::kBroken, {}, double(Dword())};
            case 5:
                return Skip(16, Kind::kOther);
            case 6:
                return StartList(4, false);
            case 7:
                return StartList(floatBytes_, true);
            case 10:
                return {Kind::kOpen, {}, 0};
            case 11:
                return {Kind::kClose, {}, 0};
            default:
                return {token >= 12 && token <= 52 ? Kind::kOther : Kind::kBroken, {}, 0};
        }
    }

  private:
    bool Fits(size_t bytes) const { return at_ + bytes <= data_.size(); }
    uint16_t Word() {
        uint16_t value = 0;
        std::memcpy(&value, data_.data() + at_, 2);
        at_ += 2;
        return value;
    }
    uint32_t Dword() {
        if (!Fits(4)) {
            at_ = data_.size();
            return 0;
        }
        uint32_t value = 0;
        std::memcpy(&value, data_.data() + at_, 4);
        at_ += 4;
        return value;
    }
    Token Skip(size_t bytes, Kind kind) {
        if (!Fits(bytes)) return {Kind::kBroken, {}, 0};
        at_ += bytes;
        return {kind, {}, 0};
    }
    Token Name() {
        const uint32_t length = Dword();
        if (!Fits(length)) return {Kind::kBroken, {}, 0};
        const std::string_view name = data_.substr(at_, length);
        at_ += length;
        return {Kind::kName, name, 0};
    }
    Token StartList(size_t itemBytes, bool floats) {
        const uint32_t count = Dword();
        if (uint64_t(count) * itemBytes > data_.size() - at_) return {Kind::kBroken, {}, 0};
        listLeft_ = count;
        listItem_ = itemBytes;
        listFloats_ = floats;
        return Next();
    }
    Token NextListNumber() {
        --listLeft_;
        double value = 0;
        if (listFloats_ && listItem_ == 8) {
            std::memcpy(&value, data_.data() + at_, 8);
        } else if (listFloats_) {
            float single = 0;
            std::memcpy(&single, data_.data() + at_, 4);
            value = single;
        } else {
            uint32_t integer = 0;
            std::memcpy(&integer, data_.data() + at_, 4);
            value = integer;
        }
        at_ += listItem_;
        return {Kind::kNumber, {}, value};
    }

    std::string_view data_;
    size_t floatBytes_;
    size_t at_ = 0;
    uint32_t listLeft_ = 0;
    size_t listItem_ = 4;
    bool listFloats_ = false;
};

// Numbers per item of each template's leading array; 0 marks a Mesh-like body with faces.
struct Template {
    std::string_view name;
    int numbersPerItem;
    bool hasFaces;
    bool countAfterType;  // a leading key type precedes the count
};
constexpr std::array<Template, 8> kTemplates{{{"Mesh", 3, true, false},
                                              {"MeshNormals", 3, true, false},
                                              {"MeshTextureCoords", 2, false, false},
                                              {"MeshVertexColors", 5, false, false},
                                              {"MeshMaterialList", 0, false, false},
                                              {"MeshFaceWraps", 2, false, false},
                                              {"AnimationKey", 3, false, true},
                                              {"SkinWeights", 2, false, false}}};

template <typename Reader>
class Checker {
  public:
    Checker(Reader reader, size_t size, size_t bytesPerNumber)
        : reader_(reader), size_(size), bytesPerNumber_(bytesPerNumber) {}

    bool Run() {
        for (Token token = Advance(); token.kind != Kind::kEnd; token = Advance()) {
            if (token.kind == Kind::kBroken) return false;
            if (token.kind != Kind::kName) continue;
            const Template* found = Find(token.name);
            if (found == nullptr) continue;
            Token next = Advance();
            if (next.kind == Kind::kName) next = Advance();
            if (next.kind == Kind::kOpen && !CheckBody(*found)) return false;
            if (next.kind == Kind::kBroken) return false;
        }
        return true;
    }

  private:
    static const Template* Find(std::string_view name) {
        for (const Template& t : kTemplates)
            if (t.name == name) return &t;
        return nullptr;
    }
    Token Advance() {
        if (pending_) {
            const Token token = *pending_;
            pending_.reset();
            return token;
        }
        return reader_.Next();
    }
    // The next number of the body, or nothing when the body holds something else there.
    std::optional<double> Number() {
        Token token = Advance();
        while (token.kind == Kind::kOther)
            token = Advance();
        if (token.kind == Kind::kNumber) return token.number;
        pending_ = token;
        return std::nullopt;
    }
    bool Holds(double count, int numbersPerItem) const {
        if (count < 0) return false;
        const double items = numbersPerItem == 0 ? count : count * numbersPerItem;
        return items * double(bytesPerNumber_) <= double(size_);
    }
    // Counts too large for the file fail; a body that is not numbers where expected ends the
    // check of that body (the importer judges it).
    bool CheckBody(const Template& t) {
        if (t.countAfterType && !Number()) return true;
        const std::optional<double> count = Number();
        if (!count) return true;
        if (!Holds(*count, t.numbersPerItem)) return false;
        if (t.name == "MeshMaterialList") {
            const std::optional<double> faces = Number();
            return !faces || Holds(*faces, 1);
        }
        if (!t.hasFaces) return true;
        for (double i = 0; i < *count * t.numbersPerItem; ++i)
            if (!Number()) return true;
        return CheckFaces(*count);
    }
    bool CheckFaces(double vertices) {
        const std::optional<double> faces = Number();
        if (!faces) return true;
        if (!Holds(*faces, 2)) return false;
        for (double f = 0; f < *faces; ++f) {
            const std::optional<double> corners = Number();
            if (!corners) return true;
            if (!Holds(*corners, 1)) return false;
            for (double k = 0; k < *corners; ++k) {
                const std::optional<double> index = Number();
                if (!index) return true;
                if (*index < 0 || *index >= vertices) return false;
            }
        }
        return true;
    }

    Reader reader_;
    size_t size_;
    size_t bytesPerNumber_;
    std::optional<Token> pending_;
};

// One block inflated after the ones before it, whose output is its dictionary.
bool InflateBlock(std::string_view block, std::string* out) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    const size_t history = std::min<size_t>(out->size(), 32768);
    if (history > 0)
        inflateSetDictionary(&stream,
                             reinterpret_cast<const Bytef*>(out->data() + out->size() - history),
                             uInt(history));
    const size_t start = out->size();
    out->resize(start + kInflatedBlock);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
    stream.avail_in = uInt(block.size());
    stream.next_out = reinterpret_cast<Bytef*>(out->data() + start);
    stream.avail_out = uInt(kInflatedBlock);
    const int result = inflate(&stream, Z_SYNC_FLUSH);
    out->resize(start + (kInflatedBlock - stream.avail_out));
    inflateEnd(&stream);
    return result == Z_OK || result == Z_STREAM_END;
}

// The inflated body of a compressed file, or nothing when its blocks do not hold together or
// would inflate to more than we are ready to read.
std::optional<std::string> Inflate(std::string_view body) {
    if (body.size() < kCompressedPrologue) return std::nullopt;
    body.remove_prefix(kCompressedPrologue);
    std::string out;
    while (body.size() > 3) {
        uint16_t length = 0;
        std::memcpy(&length, body.data(), 2);
        if (body.substr(2, 2) != "CK" || length > body.size() - 4 || length >= kInflatedBlock)
            return std::nullopt;
        if (out.size() + kInflatedBlock > kLargestInflated) return std::nullopt;
        if (!InflateBlock(body.substr(4, length), &out)) return std::nullopt;
        body.remove_prefix(4 + size_t(length));
    }
    return out;
}

bool CheckBody(std::string_view body, bool binary, size_t floatBytes) {
    if (binary) return Checker(BinaryReader(body, floatBytes), body.size(), 4).Run();
    return Checker(TextReader(body), body.size(), 2).Run();
}

}  // namespace

HRESULT CheckBytes(std::string_view bytes) {
    if (bytes.size() < 4 || bytes.substr(0, 4) != "xof ") return D3DRM_OK;
    if (bytes.size() < kHeaderSize) return D3DRMERR_BADFILE;
    const std::string_view format = bytes.substr(8, 4);
    const size_t floatBytes = bytes.substr(12, 4) == "0064" ? 8 : 4;
    const bool binary = format == "bin " || format == "bzip";
    const std::string_view body = bytes.substr(kHeaderSize);
    if (format == "txt " || format == "bin ")
        return CheckBody(body, binary, floatBytes) ? D3DRM_OK : D3DRMERR_BADFILE;
    if (format != "tzip" && format != "bzip") return D3DRMERR_BADFILE;
    const std::optional<std::string> inflated = Inflate(body);
    return inflated && CheckBody(*inflated, binary, floatBytes) ? D3DRM_OK : D3DRMERR_BADFILE;
}

HRESULT CheckFile(const char* path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return D3DRMERR_FILENOTFOUND;
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kLargestFile) return D3DRMERR_BADFILE;
    std::string bytes(static_cast<size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), size)) return D3DRMERR_BADFILE;
    return CheckBytes(bytes);
}

}  // namespace rm::xfile
