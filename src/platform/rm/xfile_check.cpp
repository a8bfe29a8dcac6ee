// Reads a text, binary or compressed .X file the way the importer will, without keeping what it
// reads, and refuses what the importer could not read safely.
#include "platform/rm/xfile_check.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/rm/rm.h"

namespace rm::xfile {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr std::streamoff kLargestFile = 64 << 20;
// Compressed files: six bytes of their own, then blocks of a 16-bit length, "CK" and that many
// bytes of deflate data. The importer sets aside one block's worth of memory for each block.
constexpr size_t kCompressedPrologue = 6;
constexpr size_t kInflatedBlock = 32786;
constexpr size_t kLargestInflated = 64 << 20;
constexpr size_t kLongestName = 1023;
constexpr int kDeepestFrame = 256;
constexpr unsigned kMostSets = 8;  // texture coordinate and colour sets of one mesh
// What the importer's own records of a file may cost, counted from the declared counts.
constexpr uint64_t kImportBudget = 256 << 20;

// Thrown inside the check only: the importer would fail here, or could not read on safely.
struct Refused {};

[[noreturn]] void Refuse() {
    throw Refused{};
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Parser {
  public:
    Parser(std::string_view body, bool binary, size_t floatBytes)
        : data_(body), binary_(binary), floatBytes_(floatBytes) {}

    void SkipFirstLine() {
        if (binary_) return;
        while (at_ < data_.size()) {
            const char c = data_[at_++];
            if (c == '\n' || c == '\r') return;
        }
    }

    void File() {
        for (std::string_view name = Token(); !name.empty(); name = Token()) {
            if (name == "template") {
                Template();
            } else if (name == "Frame") {
                Frame(1);
            } else if (name == "Mesh") {
                Mesh();
            } else if (name == "AnimTicksPerSecond") {
                Head();
                ReadInt();
                ClosingBrace();
            } else if (name == "AnimationSet") {
                AnimationSet();
            } else if (name == "Material") {
                Material();
            } else if (name != "}") {
                Unknown();
            }
        }
    }

  private:
    // The importer reads a zero past the end of its buffer.
    char At(size_t i) const { return i < data_.size() ? data_[i] : '\0'; }
    size_t Left() const { return data_.size() - at_; }
    bool StartsWith(std::string_view text) const {
        for (size_t i = 0; i < text.size(); ++i)
            if (At(at_ + i) != text[i]) return false;
        return true;
    }
    bool StartsWithAnyCase(size_t at, std::string_view text) const {
        for (size_t i = 0; i < text.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(At(at + i))) != text[i]) return false;
        return true;
    }
    void Advance(size_t bytes) { at_ = std::min(data_.size(), at_ + bytes); }

    // Whitespace and comments; a comment starts only where a token could.
    void SkipSpace() {
        if (binary_) return;
        for (;;) {
            while (at_ < data_.size() && IsSpace(data_[at_]))
                ++at_;
            if (at_ >= data_.size()) return;
            if ((At(at_) == '/' && At(at_ + 1) == '/') || At(at_) == '#') {
                SkipFirstLine();
            } else {
                return;
            }
        }
    }

    // The next token; empty at the end or where the importer reads nothing it knows.
    std::string_view Token() {
        const std::string_view token = binary_ ? BinaryToken() : TextToken();
        if (token.size() > kLongestName) Refuse();
        return token;
    }
    std::string_view TextToken() {
        SkipSpace();
        const size_t start = at_;
        while (at_ < data_.size() && !IsSpace(data_[at_])) {
            const char c = data_[at_];
            if (c == ';' || c == '}' || c == '{' || c == ',') {
                if (at_ == start) ++at_;
                break;
            }
            ++at_;
        }
        return data_.substr(start, at_ - start);
    }
    uint16_t Word() {
        uint16_t value = 0;
        std::memcpy(&value, data_.data() + at_, 2);
        at_ += 2;
        return value;
    }
    uint32_t Dword() {
        uint32_t value = 0;
        std::memcpy(&value, data_.data() + at_, 4);
        at_ += 4;
        return value;
    }
    // A skipped token must lie inside the file.
    std::string_view Skip(uint64_t bytes, std::string_view token) {
        if (bytes > Left()) Refuse();
        at_ += bytes;
        return token;
    }
    std::string_view BinaryToken() {
        static constexpr std::array<std::string_view, 0x35> kNamed = [] {
            std::array<std::string_view, 0x35> named{};
            const char* punctuation[] = {"{", "}", "(", ")", "[", "]", "<", ">", ".", ",", ";"};
            for (size_t i = 0; i < 11; ++i)
                named[0x0a + i] = punctuation[i];
            named[0x1f] = "template";
            const char* types[] = {"WORD",    "DWORD",   "FLOAT",  "DOUBLE", "CHAR",
                                   "UCHAR",   "SWORD",   "SDWORD", "void",   "string",
                                   "unicode", "cstring", "array"};
            for (size_t i = 0; i < 13; ++i)
                named[0x28 + i] = types[i];
            return named;
        }();
        if (Left() < 2) return {};
        const uint16_t token = Word();
        switch (token) {
            case 1:
            case 2: {
                if (Left() < 4) return {};
                const uint32_t length = Dword();
                // A string token is followed by two bytes of its own.
                const uint64_t skipped = uint64_t{length} + (token == 2 ? 2 : 0);
                if (skipped > Left()) Refuse();
                const std::string_view name = data_.substr(at_, length);
                at_ += skipped;
                return name;
            }
            case 3:
                return Skip(4, "<integer>");
            case 5:
                return Skip(16, "<guid>");
            case 6:
            case 7:
                if (Left() < 4) return {};
                return Skip(uint64_t{Dword()} * (token == 6 ? 4 : floatBytes_), "<list>");
            default:
                return token < kNamed.size() ? kNamed[token] : std::string_view{};
        }
    }

    // A count of numbers shared by the binary integer and float lists, as the importer has it.
    void StartBinaryNumber(uint16_t listToken) {
        if (listLeft_ == 0 && Left() >= 2) {
            const uint16_t token = Word();
            listLeft_ = token == listToken && Left() >= 4 ? Dword() : 1;
        }
        --listLeft_;
    }
    uint32_t ReadInt() {
        if (binary_) {
            StartBinaryNumber(6);
            if (Left() < 4) Refuse();
            return Dword();
        }
        SkipSpace();
        const bool negative = At(at_) == '-';
        if (negative) ++at_;
        if (!IsDigit(At(at_))) Refuse();
        uint32_t number = 0;
        while (at_ < data_.size() && IsDigit(data_[at_]))
            number = number * 10 + uint32_t(data_[at_++] - '0');
        Separator();
        return negative ? 0u - number : number;
    }
    void ReadFloat() {
        if (binary_) {
            StartBinaryNumber(7);
            if (Left() < floatBytes_) Refuse();
            at_ += floatBytes_;
            return;
        }
        SkipSpace();
        if (StartsWith("-1.#IND00") || StartsWith("1.#IND00")) {
            Advance(9);
        } else if (StartsWith("1.#QNAN0")) {
            Advance(8);
        } else {
            ScanReal();
        }
        Separator();
    }
    // Digits of a 64-bit number; false where there are none or they overflow.
    bool Digits(size_t& at) const {
        if (!IsDigit(At(at))) return false;
        uint64_t value = 0;
        for (; IsDigit(At(at)); ++at) {
            const uint64_t next = value * 10 + uint64_t(At(at) - '0');
            if (next < value || value > UINT64_MAX / 10) return false;
            value = next;
        }
        return true;
    }
    // A real number as the importer scans it: a comma may stand for the decimal point.
    void ScanReal() {
        size_t c = at_;
        if (At(c) == '-' || At(c) == '+') ++c;
        if (StartsWithAnyCase(c, "nan")) {
            Advance(c + 3 - at_);
            return;
        }
        if (StartsWithAnyCase(c, "inf")) {
            c += 3;
            if (StartsWithAnyCase(c, "inity")) c += 5;
            Advance(c - at_);
            return;
        }
        const bool point = (At(c) == '.' || At(c) == ',') && IsDigit(At(c + 1));
        if (!IsDigit(At(c)) && !point) Refuse();
        if (At(c) != '.' && At(c) != ',' && !Digits(c)) Refuse();
        if ((At(c) == '.' || At(c) == ',') && IsDigit(At(c + 1))) {
            for (++c; IsDigit(At(c)); ++c) {
            }
        } else if (At(c) == '.') {
            ++c;
        }
        if (At(c) == 'e' || At(c) == 'E') {
            ++c;
            if (At(c) == '-' || At(c) == '+') ++c;
            if (!Digits(c)) Refuse();
        }
        Advance(c - at_);
    }

    void Separator() {
        if (binary_) return;
        const std::string_view token = Token();
        if (token != "," && token != ";") Refuse();
    }
    void Semicolon() {
        if (!binary_ && Token() != ";") Refuse();
    }
    void TestSeparator() {
        if (binary_) return;
        SkipSpace();
        if (at_ < data_.size() && (data_[at_] == ';' || data_[at_] == ',')) ++at_;
    }
    void ClosingBrace() {
        if (Token() != "}") Refuse();
    }
    void Floats(int count) {
        for (int i = 0; i < count; ++i)
            ReadFloat();
    }
    void Vector(int components) {
        Floats(components);
        TestSeparator();
    }
    void String() {
        if (binary_) {
            Token();
            return;
        }
        SkipSpace();
        if (At(at_) != '"') Refuse();
        const size_t start = ++at_;
        while (at_ < data_.size() && data_[at_] != '"')
            ++at_;
        if (at_ - start > kLongestName || at_ + 1 >= data_.size() || data_[at_ + 1] != ';')
            Refuse();
        at_ += 2;
    }
    // The importer's records for a count, charged before it reads the items.
    void Charge(uint64_t count, uint64_t bytesEach) {
        spent_ += count * bytesEach;
        if (count > data_.size() || spent_ > kImportBudget) Refuse();
    }

    void Head() {
        if (Token() != "{" && Token() != "{") Refuse();
    }
    void Unknown() {
        for (std::string_view token = Token(); token != "{"; token = Token())
            if (token.empty()) Refuse();
        for (int open = 1; open > 0;) {
            const std::string_view token = Token();
            if (token.empty()) Refuse();
            if (token == "{") ++open;
            if (token == "}") --open;
        }
    }
    void Template() {
        Head();
        Token();
        for (std::string_view token = Token(); token != "}"; token = Token())
            if (token.empty()) Refuse();
    }
    void Frame(int depth) {
        if (depth > kDeepestFrame) Refuse();
        Head();
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") return;
            if (name == "Frame") {
                Frame(depth + 1);
            } else if (name == "FrameTransformMatrix") {
                Head();
                Floats(16);
                Semicolon();
                ClosingBrace();
            } else if (name == "Mesh") {
                Mesh();
            } else {
                Unknown();
            }
        }
    }

    struct MeshShape {
        uint32_t vertices = 0;
        std::vector<uint32_t> corners;  // per face
        unsigned coordinateSets = 0, colourSets = 0;
    };
    void Mesh() {
        Head();
        MeshShape mesh;
        mesh.vertices = ReadInt();
        Charge(mesh.vertices, 12);
        for (uint32_t i = 0; i < mesh.vertices; ++i)
            Vector(3);
        const uint32_t faces = ReadInt();
        Charge(faces, 24);
        for (uint32_t f = 0; f < faces; ++f)
            mesh.corners.push_back(Indices(mesh.vertices));
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") return;
            MeshPart(name, mesh);
        }
    }
    // One face's indices, each below the limit; their count.
    uint32_t Indices(uint32_t limit) {
        const uint32_t count = ReadInt();
        Charge(count, 4);
        for (uint32_t k = 0; k < count; ++k)
            if (ReadInt() >= limit) Refuse();
        TestSeparator();
        return count;
    }
    void MeshPart(std::string_view name, MeshShape& mesh) {
        if (name == "MeshNormals") {
            Normals(mesh);
        } else if (name == "MeshTextureCoords" || name == "MeshVertexColors") {
            const bool colours = name == "MeshVertexColors";
            if (++(colours ? mesh.colourSets : mesh.coordinateSets) > kMostSets) Refuse();
            Head();
            if (ReadInt() != mesh.vertices) Refuse();
            Charge(mesh.vertices, colours ? 16 : 8);
            for (uint32_t i = 0; i < mesh.vertices; ++i)
                colours ? Colour(mesh.vertices) : Vector(2);
            ClosingBrace();
        } else if (name == "MeshMaterialList") {
            MaterialList(mesh);
        } else if (name == "XSkinMeshHeader") {
            Head();
            ReadInt();
            ReadInt();
            ReadInt();
            ClosingBrace();
        } else if (name == "SkinWeights") {
            SkinWeights(mesh.vertices);
        } else {
            Unknown();
        }
    }
    void Normals(const MeshShape& mesh) {
        Head();
        const uint32_t normals = ReadInt();
        Charge(normals, 12);
        for (uint32_t i = 0; i < normals; ++i)
            Vector(3);
        if (ReadInt() != mesh.corners.size()) Refuse();
        Charge(mesh.corners.size(), 24);
        for (uint32_t corners : mesh.corners)
            if (Indices(normals) != corners) Refuse();
        ClosingBrace();
    }
    void Colour(uint32_t vertices) {
        if (ReadInt() >= vertices) Refuse();
        Vector(4);
        TestSeparator();
    }
    void MaterialList(const MeshShape& mesh) {
        Head();
        ReadInt();
        const uint32_t indices = ReadInt();
        const size_t faces = mesh.corners.size();
        // One index for every face, or a single one for all of them.
        if (indices != faces && !(indices == 1 && faces > 0)) Refuse();
        Charge(faces, 4);
        uint32_t highest = 0;
        for (uint32_t i = 0; i < indices; ++i)
            highest = std::max(highest, ReadInt());
        if (!binary_ && At(at_) == ';' && at_ < data_.size()) ++at_;
        // Every index must name a material that the list holds, by value or by reference.
        uint64_t materials = 0;
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") break;
            if (name == "{") {
                Token();
                ClosingBrace();
                ++materials;
            } else if (name == "Material") {
                Material();
                ++materials;
            } else if (name != ";") {
                Unknown();
            }
        }
        if (indices > 0 && highest >= materials) Refuse();
    }
    void Material() {
        Head();
        Vector(4);
        ReadFloat();
        Vector(3);
        Vector(3);
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") return;
            if (name == "TextureFilename" || name == "TextureFileName" ||
                name == "NormalmapFilename" || name == "NormalmapFileName") {
                Head();
                String();
                ClosingBrace();
            } else {
                Unknown();
            }
        }
    }
    void SkinWeights(uint32_t vertices) {
        Head();
        String();
        const uint32_t weights = ReadInt();
        Charge(weights, 8);
        for (uint32_t i = 0; i < weights; ++i)
            if (ReadInt() >= vertices) Refuse();
        Floats(int(std::min<uint32_t>(weights, INT32_MAX)));
        Floats(16);
        Semicolon();
        ClosingBrace();
    }
    void AnimationSet() {
        Head();
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") return;
            name == "Animation" ? Animation() : Unknown();
        }
    }
    void Animation() {
        Head();
        for (;;) {
            const std::string_view name = Token();
            if (name.empty()) Refuse();
            if (name == "}") return;
            if (name == "AnimationKey") {
                AnimationKey();
            } else if (name == "{") {
                Token();
                ClosingBrace();
            } else {
                Unknown();
            }
        }
    }
    void AnimationKey() {
        Head();
        const uint32_t type = ReadInt();
        const uint32_t keys = ReadInt();
        Charge(keys, 80);
        // Numbers per key of each type: a quaternion, a scale, a position, a matrix twice.
        constexpr uint32_t kNumbers[] = {4, 3, 3, 16, 16};
        if (type >= std::size(kNumbers)) Refuse();
        for (uint32_t k = 0; k < keys; ++k) {
            ReadInt();
            if (ReadInt() != kNumbers[type]) Refuse();
            Floats(int(kNumbers[type]));
            if (type == 1 || type == 2) {
                TestSeparator();
            } else {
                Semicolon();
            }
            Separator();
        }
        ClosingBrace();
    }

    std::string_view data_;
    bool binary_;
    size_t floatBytes_;
    size_t at_ = 0;
    uint32_t listLeft_ = 0;
    uint64_t spent_ = 0;
};

// The blocks of a compressed body inflated one after the other, each with the block before it
// as its dictionary, as the importer inflates them; nothing when they do not hold together.
std::optional<std::string> Inflate(std::string_view body) {
    if (body.size() < kCompressedPrologue) return std::nullopt;
    body.remove_prefix(kCompressedPrologue);
    size_t blocks = 0;
    for (std::string_view rest = body; rest.size() > 3; ++blocks) {
        uint16_t length = 0;
        std::memcpy(&length, rest.data(), 2);
        if (rest.substr(2, 2) != "CK" || length >= kInflatedBlock || length > rest.size() - 4)
            return std::nullopt;
        rest.remove_prefix(4 + size_t{length});
    }
    if (blocks > kLargestInflated / kInflatedBlock) return std::nullopt;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
    std::string out;
    bool whole = true;
    while (whole && body.size() > 3) {
        uint16_t length = 0;
        std::memcpy(&length, body.data(), 2);
        const size_t start = out.size();
        out.resize(start + kInflatedBlock);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + 4));
        stream.avail_in = length;
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
        stream.avail_out = uInt(kInflatedBlock);
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        whole = result == Z_OK || result == Z_STREAM_END;
        out.resize(start + (kInflatedBlock - stream.avail_out));
        inflateReset(&stream);
        inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(out.data() + start),
                             uInt(out.size() - start));
        body.remove_prefix(4 + size_t{length});
    }
    inflateEnd(&stream);
    if (!whole) return std::nullopt;
    return out;
}

bool Parses(std::string_view body, bool binary, size_t floatBytes, bool compressed) {
    Parser parser(body, binary, floatBytes);
    try {
        if (!compressed) parser.SkipFirstLine();
        parser.File();
        return true;
    } catch (const Refused&) {
        return false;
    }
}

}  // namespace

HRESULT ReadModelFile(const char* path, std::string* bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return D3DRMERR_FILENOTFOUND;
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kLargestFile) return D3DRMERR_BADFILE;
    bytes->assign(static_cast<size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(bytes->data(), size)) return D3DRMERR_BADFILE;
    return D3DRM_OK;
}

bool IsXFile(const char* path, std::string_view bytes) {
    const std::string_view name(path);
    const bool named = name.size() >= 2 && name[name.size() - 2] == '.' &&
                       (name.back() == 'x' || name.back() == 'X');
    return named || WithoutByteOrderMark(bytes).substr(0, 4) == "xof ";
}

std::string_view WithoutByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
}

HRESULT CheckBytes(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, 4) != "xof ") return D3DRMERR_BADFILE;
    const std::string_view format = bytes.substr(8, 4), floats = bytes.substr(12, 4);
    if (floats != "0032" && floats != "0064") return D3DRMERR_BADFILE;
    const size_t floatBytes = floats == "0064" ? 8 : 4;
    const bool binary = format == "bin " || format == "bzip";
    const std::string_view body = bytes.substr(kHeaderSize);
    if (format == "txt " || format == "bin ")
        return Parses(body, binary, floatBytes, false) ? D3DRM_OK : D3DRMERR_BADFILE;
    if (format != "tzip" && format != "bzip") return D3DRMERR_BADFILE;
    const std::optional<std::string> inflated = Inflate(body);
    return inflated && Parses(*inflated, binary, floatBytes, true) ? D3DRM_OK : D3DRMERR_BADFILE;
}

}  // namespace rm::xfile
