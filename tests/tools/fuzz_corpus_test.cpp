// Fuzz seeds: each committed seed is accepted by the reader its fuzz target feeds, so fuzzing starts from valid files.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <filesystem>

#include "character/skinned_model.h"
#include "environment/dib_decoder.h"
#include "environment/environment_map.h"
#include "support/recording_platform.h"
#include "support/scratch_directory.h"

namespace {

// Name to content of every seed of one target.
std::map<std::string, std::string> seeds(const std::string& target) {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(LUMIVOR_SOURCE_DIR "/fuzz/corpus/" + target)) {
        found[entry.path().filename()] = readWholeFile(entry.path());
    }
    return found;
}

const unsigned char* bytesOf(const std::string& content) {
    return reinterpret_cast<const unsigned char*>(content.data());
}

}  // namespace

TEST(FuzzCorpus, EverySeedIsReadByItsReader) {
    const auto bitmaps = seeds("fuzz_bitmap"), models = seeds("fuzz_model"), maps = seeds("fuzz_hdr");
    ASSERT_TRUE(bitmaps.size() >= 10 && models.size() >= 2 && maps.size() >= 2);
    for (const auto& [name, content] : bitmaps) {
        const DibDecodeResult result = decodeDIB(bytesOf(content), content.size());
        ASSERT_EQ(result.error, DibError::None) << name;
        EXPECT_TRUE(result.image->width == 5 && result.image->height == 3) << name;
    }
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    for (const auto& [name, content] : models) {
        SkinnedModel model;
        EXPECT_TRUE(model.loadFromText(content.data(), content.size(), name.c_str()) && model.boneCount() >= 1) << name;
    }
    for (const auto& message : recording.messages) EXPECT_NE(message.title, "Error") << message.text;
    for (const auto& [name, content] : maps) {
        FIBITMAP* image = loadRescaledEnvironmentImageFromMemory(bytesOf(content), content.size(), 24, 16);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_TRUE(FreeImage_GetWidth(image) == 24 && FreeImage_GetHeight(image) == 16) << name;
        FreeImage_Unload(image);
    }
    const std::string garbage = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 40 +X 40\n\x02\x02";
    EXPECT_EQ(loadRescaledEnvironmentImageFromMemory(bytesOf(garbage), garbage.size(), 24, 16), nullptr);
}
