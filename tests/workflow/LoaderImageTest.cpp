#include "workflow/LoaderImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(LoadLoaderImage, LoadsBothEmbeddedImages) {
    struct Case {
        int which;
        const char* resource;
    } cases[] = {{kLoaderImageIntermediate, "141"}, {kLoaderImageV2, "142"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resource);
        std::vector<std::uint8_t> bytes;
        ASSERT_EQ(LoadLoaderImage(c.which, bytes), kUpdateOk);
        ASSERT_FALSE(bytes.empty());
        // The placeholders name their resource; a real image built in is opaque.
        const std::string head(bytes.begin(),
                               bytes.begin() + std::min<std::size_t>(64, bytes.size()));
        if (head.starts_with("ZELTA-LOADER-PLACEHOLDER\n")) {
            EXPECT_NE(head.find("image: " + std::string(c.resource) + "\n"), std::string::npos);
        }
    }
}

TEST(LoadLoaderImage, UnknownImageGivesTheLoadError) {
    for (int which : {-1, 2, 141}) {
        std::vector<std::uint8_t> bytes{1, 2, 3};
        EXPECT_EQ(LoadLoaderImage(which, bytes), kUpdateLoaderImageError) << which;
        EXPECT_TRUE(bytes.empty());
    }
}

} // namespace
