// .X files (text, binary, compressed) through the check and the importer, as the mesh builder
// loads them.
#include "input_file.h"
#include "platform/rm/rm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteInput(data, size, "input.x");
    rm::Direct3DRM* rm = nullptr;
    rm::Direct3DRMCreate(&rm);
    rm::MeshBuilder* builder = nullptr;
    rm->CreateMeshBuilder(&builder);
    builder->Load(path.c_str(), nullptr, rm::D3DRMLOAD_FROMFILE, nullptr, nullptr);
    builder->Release();
    rm->Release();
    return 0;
}
