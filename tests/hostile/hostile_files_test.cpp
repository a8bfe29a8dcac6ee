// Every file under the fuzzers' regression folder (traps made by hand and inputs that once broke
// a reader) goes through the readers that its folder names; each must be refused, and nothing may
// crash, hang or allocate beyond what the file justifies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bitmap_loads.h"
#include "platform/mci/mci.h"
#include "platform/rm/rm.h"
#include "platform/win/win.h"
#include "sound/sound.h"

namespace {

namespace fs = std::filesystem;

// The readers a folder's files go through; each answers whether it refused the file.
bool RefusedAsBitmap(const std::string& path) {
    const BitmapLoads loads = LoadBitmapBothWays(path);
    return !loads.asSprite && loads.asTexture == rm::D3DRMERR_BADFILE;
}

bool RefusedAsModel(const std::string& path) {
    rm::Direct3DRM* rm = nullptr;
    rm::Direct3DRMCreate(&rm);
    rm::MeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);
    const HRESULT loaded =
        builder->Load(path.c_str(), nullptr, rm::D3DRMLOAD_FROMFILE, nullptr, nullptr);
    builder->Release();
    rm->Release();
    return loaded == rm::D3DRMERR_BADFILE;
}

bool RefusedAsWave(const std::string& path) {
    WAVEFORMATEX* format = nullptr;
    uint8_t* samples = nullptr;
    uint32_t size = 0;
    const bool read = krSound::ReadWaveFile(path.c_str(), &format, &samples, &size) == 0;
    win::GlobalFree(format);
    win::GlobalFree(samples);
    return !read && sndPlaySound(path.c_str(), SND_NODEFAULT) == FALSE;
}

bool RefusedAsMidi(const std::string& path) {
    const std::string open = "open \"" + path + "\" type sequencer alias hostile";
    const MCIERROR error = mciSendString(open.c_str(), nullptr, 0, nullptr);
    if (error == 0) mciSendString("close hostile", nullptr, 0, nullptr);
    return error == MCIERR_INVALID_FILE;
}

struct Reader {
    const char* folder;
    bool (*refused)(const std::string& path);
};
const Reader kReaders[] = {{"bmp", RefusedAsBitmap},
                           {"x", RefusedAsModel},
                           {"wav", RefusedAsWave},
                           {"midi", RefusedAsMidi}};

TEST(HostileFiles, EveryRegressionFileIsRefusedByItsReaders) {
    int files = 0;
    for (const Reader& reader : kReaders) {
        for (const fs::directory_entry& entry :
             fs::directory_iterator(fs::path(KR_REGRESSIONS_DIR) / reader.folder)) {
            SCOPED_TRACE(entry.path().string());
            EXPECT_TRUE(reader.refused(entry.path().string()));
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
