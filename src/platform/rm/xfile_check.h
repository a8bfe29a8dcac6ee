#pragma once
// A pass over .X files before the importer sees them: every count that a template declares
// (vertices, faces, indices per face, normals, texture coordinates, colours, material indices,
// animation keys, skin weights) must fit in the bytes of the file, so that a hostile header
// cannot make the importer allocate gigabytes. Compressed files are inflated block by block for
// the check (and refused when they would inflate beyond 64 MB). Files of other formats pass
// unchecked.
#include "platform/win/types.h"

#include <string_view>

namespace rm::xfile {

// D3DRM_OK, D3DRMERR_FILENOTFOUND or D3DRMERR_BADFILE.
HRESULT CheckFile(const char* path);
HRESULT CheckBytes(std::string_view bytes);

}  // namespace rm::xfile
