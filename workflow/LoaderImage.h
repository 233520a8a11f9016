#pragma once

#include "workflow/UpdateResult.h"

#include <cstdint>
#include <vector>

// The update-loader images that travel inside the program, as opaque bytes.
enum LoaderImageId : int {
    kLoaderImageIntermediate = 0, // resource 141
    kLoaderImageV2 = 1,           // resource 142, the second-generation loader
};

// Loads image which (0 or 1) into bytes. kUpdateLoaderImageError when it is missing or cannot
// be read; bytes is then empty.
UpdateResult LoadLoaderImage(int which, std::vector<std::uint8_t>& bytes);
