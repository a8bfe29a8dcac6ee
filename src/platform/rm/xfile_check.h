#pragma once
// A pass over .X files before the importer sees them. It reads the file with the importer's own
// rules (the same tokens, the same numbers, the same objects in the same places) and fails
// closed: a file it cannot read the way the importer will is refused. Every count the importer
// allocates for (vertices, faces, indices, normals, texture coordinates, colours, material
// indices, animation keys, skin weights) must be followed by that many items in the file, and
// the whole must stay within a memory budget; face, normal, colour and weight indices must name
// existing vertices; a material list must have one index per face, each naming a material of
// the list; names are at most 1023 bytes; frames nest at most 256 deep. Compressed files are
// inflated block by block as the importer does (and refused beyond 64 MB).
#include "platform/win/types.h"

#include <string>
#include <string_view>

namespace rm::xfile {

// The file's bytes, or D3DRMERR_FILENOTFOUND, or D3DRMERR_BADFILE for a file beyond 64 MB.
HRESULT ReadModelFile(const char* path, std::string* bytes);
// Whether the importer reads these bytes as an X file: a ".x" name or an "xof " signature.
bool IsXFile(const char* path, std::string_view bytes);
// The bytes the X importer parses: it drops a UTF-8 byte-order mark.
std::string_view WithoutByteOrderMark(std::string_view bytes);
// D3DRM_OK or D3DRMERR_BADFILE for the bytes of an X file, byte-order mark removed.
HRESULT CheckBytes(std::string_view bytes);

}  // namespace rm::xfile
