// A 16384 x 8192 run-length map, the size the big free HDR libraries publish, loads, rescales and gives its 64 lights.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cmath>

#include "environment/map_loading.h"
#include "support/radiance_map.h"
#include "support/scratch_directory.h"

namespace {

constexpr int kWidth = 16384, kHeight = 8192, kLights = 64;

}  // namespace

TEST(LargeMap, A16384By8192RunLengthMapGivesItsBrightestLightTowardItsBrightDisc) {
    ScratchDirectory scratch;
    // Column 4096 looks along +x; row 2048 from the top is 45 degrees above the horizon.
    scratch.writeFile("large.hdr", discMap(kWidth, kHeight, kWidth / 4, kHeight / 4, 200));
    FreeImage_Initialise(FALSE);
    const CancelFlag never{false};
    const LoadedMap map = loadMap("large.hdr", never);
    FreeImage_DeInitialise();
    ASSERT_TRUE(map.loaded()) << map.cause;
    const Vector3* directions = map.directions;
    const Vector3* colours = map.colours;
    int brightest = 0;
    for (int i = 0; i < kLights; ++i) {
        EXPECT_GT(colours[i].x, 0.0f) << "light " << i << " sees only the dim sky";
        brightest = colours[i].x > colours[brightest].x ? i : brightest;
    }
    const Vector3& d = directions[brightest];
    EXPECT_GT((d.x + d.y) * std::sqrt(0.5f), 0.99f) << d.x << " " << d.y << " " << d.z;
}
