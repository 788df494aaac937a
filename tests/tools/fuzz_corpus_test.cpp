// Fuzz seeds: each committed seed is accepted by the reader its fuzz target feeds, so fuzzing starts from valid files.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <filesystem>

#include "character/skinned_model.h"
#include "environment/dib_decoder.h"
#include "environment/environment_map.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

TEST(FuzzCorpus, EverySeedIsReadByItsReader) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    int seeds[3] = {};
    for (const char* target : {"fuzz_bitmap", "fuzz_model", "fuzz_hdr"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(LUMIVOR_SOURCE_DIR "/fuzz/corpus/") + target)) {
            const std::string content = readWholeFile(entry.path()), name = entry.path().filename();
            const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
            if (target[5] == 'b') {
                const DibDecodeResult result = decodeDIB(bytes, content.size());
                ASSERT_EQ(result.error, DibError::None) << name;
                EXPECT_TRUE(result.image->width == 5 && result.image->height == 3) << name;
            } else if (target[5] == 'm') {
                SkinnedModel model;
                EXPECT_TRUE(model.loadFromText(content.data(), content.size(), name.c_str()) && model.boneCount() >= 1)
                    << name;
            } else {
                FIBITMAP* image = loadRescaledEnvironmentImageFromMemory(bytes, content.size(), 24, 16);
                EXPECT_TRUE(image && FreeImage_GetWidth(image) == 24 && FreeImage_GetHeight(image) == 16) << name;
                FreeImage_Unload(image);
            }
            ++seeds[target[5] == 'b' ? 0 : target[5] == 'm' ? 1 : 2];
        }
    }
    EXPECT_TRUE(seeds[0] >= 10 && seeds[1] >= 2 && seeds[2] >= 2);
    for (const auto& message : recording.messages) EXPECT_NE(message.title, "Error") << message.text;
}
