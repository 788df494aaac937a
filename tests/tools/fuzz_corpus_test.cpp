// Fuzz seeds: each committed seed is accepted by the reader its fuzz target feeds, so fuzzing starts from valid files.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "character/skinned_model.h"
#include "environment/dib_decoder.h"
#include "environment/environment_map.h"
#include "support/recording_platform.h"

namespace {

const std::string kCorpus = LUMIVOR_SOURCE_DIR "/fuzz/corpus/";

// (name, content) of every seed of one target.
std::vector<std::pair<std::string, std::string>> seeds(const std::string& target) {
    std::vector<std::pair<std::string, std::string>> found;
    DIR* directory = opendir((kCorpus + target).c_str());
    if (directory == nullptr) {
        return found;
    }
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        std::ifstream file(kCorpus + target + "/" + name, std::ios::binary);
        found.emplace_back(name, std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    }
    closedir(directory);
    return found;
}

const unsigned char* bytesOf(const std::string& content) {
    return reinterpret_cast<const unsigned char*>(content.data());
}

TEST(FuzzCorpus, EveryBitmapSeedDecodesToItsFiveByThreePicture) {
    const auto bitmaps = seeds("fuzz_bitmap");
    ASSERT_GE(bitmaps.size(), 10u);
    for (const auto& [name, content] : bitmaps) {
        const DibDecodeResult result = decodeDIB(bytesOf(content), content.size());
        ASSERT_EQ(result.error, DibError::None) << name;
        EXPECT_EQ(result.image->width, 5) << name;
        EXPECT_EQ(result.image->height, 3) << name;
    }
}

TEST(FuzzCorpus, EveryModelSeedLoadsWithoutAnError) {
    RecordingPlatform recording;
    ScopedPlatformServices fake(recording);
    const auto models = seeds("fuzz_model");
    ASSERT_GE(models.size(), 2u);
    for (const auto& [name, content] : models) {
        SkinnedModel model;
        EXPECT_TRUE(model.loadFromText(content.data(), content.size(), name.c_str())) << name;
        EXPECT_GE(model.boneCount(), 1) << name;
    }
    for (const RecordingPlatform::Message& message : recording.messages) {
        EXPECT_NE(message.title, "Error") << message.text;
    }
}

TEST(FuzzCorpus, EveryHdrSeedLoadsFromMemoryAndRescales) {
    const auto maps = seeds("fuzz_hdr");
    ASSERT_GE(maps.size(), 2u);
    for (const auto& [name, content] : maps) {
        FIBITMAP* image = loadRescaledEnvironmentImageFromMemory(bytesOf(content), content.size(), 24, 16);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(FreeImage_GetWidth(image), 24u) << name;
        EXPECT_EQ(FreeImage_GetHeight(image), 16u) << name;
        FreeImage_Unload(image);
    }
    // Bytes that are no Radiance picture give no image rather than a guess.
    const std::string garbage = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 40 +X 40\n\x02\x02";
    EXPECT_EQ(loadRescaledEnvironmentImageFromMemory(bytesOf(garbage), garbage.size(), 24, 16), nullptr);
}

}  // namespace
