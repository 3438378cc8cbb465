// Finding the archive that a built Setup.exe carries: the resource of type
// "RARFILE" with id 105, found by walking the PE resource directory.
#pragma once

#include <cstdint>
#include <string>

enum class PeLookup { NotPe, Found, Missing, Damaged };

// Looks for resource type `typeName` (compared without regard to ASCII case)
// with integer id `id` in a PE image. On Found, *offset and *size give the
// resource's bytes within the file; on Missing or Damaged, *reason says why.
PeLookup FindPeResource(const uint8_t* file, uint32_t fileSize, const char* typeName, uint32_t id,
                        uint32_t* offset, uint32_t* size, std::string* reason);
