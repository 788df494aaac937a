// Fuzz seed writer: a few small valid inputs of every kind each reader takes, under <dir>/<fuzz target>/.
//
// The seeds only have to reach the readers' interesting paths: bitmaps of each
// bit depth, header kind and compression, a tiny character, configurations,
// shader sources, Radiance HDR files, flat and run-length encoded, OpenEXR
// files as FreeImage writes them, and glTF models: binary and JSON, skinned
// and animated, textured.
#include <FreeImage.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "character/animation.h"
#include "environment/dib_decoder.h"
#include "support/gltf_builder.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kSeedWidth = 5;
constexpr int kSeedHeight = 3;

void putU16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void putU32(Bytes& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

// What one seed bitmap holds apart from its headers.
struct BitmapSeed {
    bool fileHeader = true;
    std::uint32_t headerSize = kDibInfoHeaderSize;
    std::int32_t width = kSeedWidth;
    std::int32_t height = kSeedHeight;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = kDibUncompressed;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> masks;    // red, green, blue for bit fields
    Bytes pixels;
};

Bytes bitmapBytes(const BitmapSeed& seed) {
    Bytes header;
    putU32(header, seed.headerSize);
    if (seed.headerSize == kDibCoreHeaderSize) {
        putU16(header, static_cast<std::uint32_t>(seed.width));
        putU16(header, static_cast<std::uint32_t>(seed.height));
        putU16(header, 1);  // planes
        putU16(header, seed.bitCount);
    } else {
        putU32(header, static_cast<std::uint32_t>(seed.width));
        putU32(header, static_cast<std::uint32_t>(seed.height));
        putU16(header, 1);
        putU16(header, seed.bitCount);
        putU32(header, seed.compression);
        putU32(header, static_cast<std::uint32_t>(seed.pixels.size()));
        putU32(header, 0);
        putU32(header, 0);
        putU32(header, seed.coloursUsed);
        putU32(header, 0);
        for (std::uint32_t mask : seed.masks) {
            putU32(header, mask);
        }
    }
    for (std::uint32_t colour : seed.palette) {
        header.push_back(static_cast<unsigned char>(colour));
        header.push_back(static_cast<unsigned char>(colour >> 8));
        header.push_back(static_cast<unsigned char>(colour >> 16));
        if (seed.headerSize != kDibCoreHeaderSize) {
            header.push_back(0);
        }
    }
    Bytes out;
    if (seed.fileHeader) {
        const std::uint32_t pixelOffset = kDibFileHeaderSize + static_cast<std::uint32_t>(header.size());
        out.push_back('B');
        out.push_back('M');
        putU32(out, pixelOffset + static_cast<std::uint32_t>(seed.pixels.size()));
        putU32(out, 0);
        putU32(out, pixelOffset);
    }
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), seed.pixels.begin(), seed.pixels.end());
    return out;
}

// Uncompressed rows of bitCount-bit pixels with a varying pattern, padded to four bytes.
Bytes patternRows(int width, int height, int bitCount) {
    const int rowBits = width * bitCount;
    const int stride = (rowBits + 31) / 32 * 4;
    Bytes rows(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int byte = 0; byte < (rowBits + 7) / 8; ++byte) {
            rows[static_cast<std::size_t>(y) * stride + byte] = static_cast<unsigned char>(37 * byte + 91 * y + 5);
        }
    }
    return rows;
}

std::vector<std::uint32_t> palette(int count) {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < count; ++i) {
        colours.push_back(static_cast<std::uint32_t>(i * 0x3B1F29) & 0xFFFFFF);
    }
    return colours;
}

std::vector<std::pair<std::string, Bytes>> bitmapSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    for (int bits : {1, 4, 8}) {
        BitmapSeed seed;
        seed.bitCount = static_cast<std::uint16_t>(bits);
        seed.coloursUsed = bits == 8 ? 6 : 0;  // a short table for 8 bits
        seed.palette = palette(bits == 8 ? 6 : 1 << bits);
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, bits);
        seeds.emplace_back("info_" + std::to_string(bits) + "bit.bmp", bitmapBytes(seed));
    }
    for (int bits : {16, 24, 32}) {
        BitmapSeed seed;
        seed.bitCount = static_cast<std::uint16_t>(bits);
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, bits);
        seeds.emplace_back("info_" + std::to_string(bits) + "bit.bmp", bitmapBytes(seed));
    }
    {
        BitmapSeed seed;
        seed.bitCount = 16;
        seed.compression = kDibBitFields;
        seed.masks = {0xF800, 0x07E0, 0x001F};
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, 16);
        seeds.emplace_back("bitfields_565.bmp", bitmapBytes(seed));
        seed.bitCount = 32;
        seed.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, 32);
        seeds.emplace_back("bitfields_101010.bmp", bitmapBytes(seed));
    }
    {
        BitmapSeed seed;
        seed.height = -kSeedHeight;  // rows top to bottom
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, 24);
        seeds.emplace_back("top_down_24bit.bmp", bitmapBytes(seed));
    }
    {
        // Encoded runs, an absolute run, a delta, line ends and the bitmap end.
        BitmapSeed seed;
        seed.bitCount = 8;
        seed.compression = kDibRle8;
        seed.palette = palette(256);
        seed.pixels = {2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 2, 9, 0, 2, 1, 1, 2, 4, 0, 1};
        seeds.emplace_back("rle8.bmp", bitmapBytes(seed));
        seed.bitCount = 4;
        seed.compression = kDibRle4;
        seed.palette = palette(16);
        seed.pixels = {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 0, 1, 3, 0xAB, 0, 1};
        seeds.emplace_back("rle4.bmp", bitmapBytes(seed));
    }
    {
        // Core headers: a bare one without the file header, and one with a colour table.
        BitmapSeed seed;
        seed.fileHeader = false;
        seed.headerSize = kDibCoreHeaderSize;
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, 24);
        seeds.emplace_back("core_24bit.dib", bitmapBytes(seed));
        seed.fileHeader = true;
        seed.bitCount = 4;
        seed.palette = palette(16);
        seed.pixels = patternRows(kSeedWidth, kSeedHeight, 4);
        seeds.emplace_back("core_4bit.bmp", bitmapBytes(seed));
    }
    return seeds;
}

std::string keyframes(const std::string& keyframe) {
    std::string out;
    for (int frame = 0; frame < kAnimationFrameCount; ++frame) {
        out += keyframe + "\n";
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> modelSeeds() {
    const std::string triangle =
        "1\nmatte 1 0.5 0.25 0.5 0\n"
        "1\n0 3\n"
        "0 0 0 1 0 root 1\n1 0 0 1 0 root 1\n0 1 0 1 0 root 1\n"
        "0\n0 0 1\n0 0 1\n0 0 1\n"
        "0\n0 0\n1 0\n0 1\n"
        "1\n0 1 2 0 0 0 0 0 0\n"
        "85 1 1\nroot 0\n1 0 0 0\n0 0 0\n" +
        keyframes("1 0 0 0 0 0 0");
    // Two materials and meshes, a two-bone chain, a vertex with five influences
    // and one with none, keyframes that turn and move.
    const std::string chain =
        "2\nskin 0.8 0.6 0.5 1 0.5\ncloth 0.1 0.2 0.7 1 1\n"
        "2\n"
        "1 4\n"
        "0 0 0 5 0 hips 0.2 1 spine 0.2 0 hips 0.2 1 spine 0.2 1 spine 0.2\n"
        "0 1 0 2 0 hips 0.5 1 spine 0.5\n1 1 0 1 1 spine 1\n1 0 0 0\n"
        "0\n0 0 1\n0 1 0\n1 0 0\n0 0 -1\n"
        "0\n0 0\n0 1\n1 1\n1 0\n"
        "2\n0 1 2 0 0 0 0 0 0\n0 2 3 0 0 0 0 0 0\n"
        "0 3\n"
        "0 0 2 1 0 hips 1\n1 0 2 1 1 spine 1\n0 1 2 1 1 spine 1\n"
        "0\n0 0 1\n0 0 1\n0 0 1\n"
        "0\n0 0\n1 0\n0 1\n"
        "1\n2 1 0 0 0 0 0 0 0\n"
        "85 2 1\n"
        "hips 1\n1 0 0 0\n0 0 0\n" +
        keyframes("0.7071 0 0.7071 0 0.5 0 0") + "spine 0\n0.9659 0.2588 0 0\n0 1 0\n" + keyframes("1 0 0 0 0 1 0");
    return {{"triangle.txt", triangle}, {"two_bone_chain.txt", chain}};
}

std::vector<std::pair<std::string, std::string>> configSeeds() {
    return {{"default.cfg", "800 600 1\n"},
            {"supersampled.cfg", "1024 768 2\n"},
            {"two_lines.cfg", "320\n240\n"},
            {"trailing.cfg", "  640 480 1 and some words\n"}};
}

std::vector<std::pair<std::string, std::string>> shaderSeeds() {
    return {{"vertex.vsh",
             "varying vec3 normal;\nvoid main()\n{\n    normal = gl_NormalMatrix * gl_Normal;\n"
             "    gl_Position = ftransform();\n}\n"},
            {"fragment_crlf.fsh",
             "uniform sampler2D map;\r\nvoid main()\r\n{\r\n    gl_FragColor = texture2D(map, "
             "gl_TexCoord[0].xy);\r\n}"},
            {"zero_byte.fsh", std::string("void main() { gl_FragColor = vec4(1.0); }\n\0junk\n", 48)}};
}

// A Radiance picture: the header, then scanlines flat (width below 8) or in
// the run-length form with its four component runs per line.
std::string hdrHeader(int width, int height) {
    return "#?RADIANCE\n# seed\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1.0\n\n-Y " + std::to_string(height) + " +X " +
           std::to_string(width) + "\n";
}

std::string flatHdr(int width, int height) {
    std::string out = hdrHeader(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out += static_cast<char>(40 + 20 * x);
            out += static_cast<char>(60 + 10 * y);
            out += static_cast<char>(200 - 30 * x);
            out += static_cast<char>(128 + (x + y) % 4);
        }
    }
    return out;
}

std::string runLengthHdr(int width, int height) {
    std::string out = hdrHeader(width, height);
    constexpr int kMaxLiteral = 128;
    constexpr int kRunFlag = 128;
    for (int y = 0; y < height; ++y) {
        out += '\x02';
        out += '\x02';
        out += static_cast<char>(width >> 8);
        out += static_cast<char>(width & 0xFF);
        for (int component = 0; component < 3; ++component) {
            // Half the line as one literal chunk, the rest as one run.
            const int literal = std::min(width / 2, kMaxLiteral);
            out += static_cast<char>(literal);
            for (int x = 0; x < literal; ++x) {
                out += static_cast<char>(30 * component + 7 * x + 3 * y);
            }
            out += static_cast<char>(kRunFlag + (width - literal));
            out += static_cast<char>(90 + 50 * component);
        }
        out += static_cast<char>(kRunFlag + width);  // exponents: one run
        out += static_cast<char>(130 + y % 3);
    }
    return out;
}

// An OpenEXR picture of a sky gradient with one bright pixel, written by
// FreeImage with the flags given (float or half channels, the compression);
// empty when the writer fails.
Bytes exrPicture(FREE_IMAGE_TYPE type, int width, int height, int flags) {
    Bytes out;
    FIBITMAP* image = FreeImage_AllocateT(type, width, height);
    if (image == nullptr) {
        return out;
    }
    const int channels = type == FIT_RGBAF ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        float* row = reinterpret_cast<float*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < width; ++x) {
            float* pixel = row + x * channels;
            pixel[0] = 0.1f * static_cast<float>(x + 1);
            pixel[1] = 0.2f * static_cast<float>(y + 1);
            pixel[2] = x == width / 2 && y == height - 1 ? 5000.0f : 0.75f;
            if (channels == 4) {
                pixel[3] = 1.0f;
            }
        }
    }
    FIMEMORY* memory = FreeImage_OpenMemory();
    BYTE* data = nullptr;
    DWORD size = 0;
    if (memory != nullptr && FreeImage_SaveToMemory(FIF_EXR, image, memory, flags) &&
        FreeImage_AcquireMemory(memory, &data, &size)) {
        out.assign(data, data + size);
    }
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(image);
    return out;
}

std::vector<std::pair<std::string, Bytes>> hdrSeeds() {
    const std::string flat = flatHdr(4, 6);
    const std::string runLength = runLengthHdr(16, 8);
    return {{"flat_4x6.hdr", Bytes(flat.begin(), flat.end())},
            {"run_length_16x8.hdr", Bytes(runLength.begin(), runLength.end())},
            {"float_uncompressed_5x3.exr", exrPicture(FIT_RGBF, 5, 3, EXR_FLOAT | EXR_NONE)},
            {"half_zip_16x8.exr", exrPicture(FIT_RGBF, 16, 8, EXR_ZIP)},
            {"half_piz_alpha_8x4.exr", exrPicture(FIT_RGBAF, 8, 4, EXR_PIZ)}};
}

// A triangle: positions and 16-bit indices, no normals.
GltfBuilder gltfTriangle() {
    GltfBuilder b;
    b.addScene({b.addNode(b.addTriangleMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}))});
    return b;
}

// Two joints under a root with a matrix, two influence sets (one of 8-bit
// joints and normalised 8-bit weights), 8-bit colours, a sparse position and
// one animation channel of each interpolation.
GltfBuilder gltfSkinnedAnimated() {
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, TINYGLTF_TYPE_VEC3);
    tinygltf::Accessor& sparse = b.model.accessors[positions];
    sparse.sparse.isSparse = true;
    sparse.sparse.count = 1;
    const std::vector<std::uint16_t> sparseIndex = {1};
    const std::vector<float> sparseValue = {2, 0, 0};
    sparse.sparse.indices = {0, b.addView(sparseIndex.data(), 2), TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT};
    b.model.accessors[positions].sparse.values = {b.addView(sparseValue.data(), 12), 0};
    const int joints0 = b.addAccessor(std::vector<std::uint8_t>{0, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0},
                                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4);
    const int weights0 = b.addAccessor(std::vector<std::uint8_t>{128, 127, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0},
                                       TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, true);
    const int joints1 = b.addAccessor(std::vector<std::uint16_t>{1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0},
                                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4);
    const int weights1 = b.addFloats({0.5f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    const int colours = b.addAccessor(std::vector<std::uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 128},
                                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, true);
    const int mesh = b.addMesh({GltfBuilder::primitive({{"POSITION", positions},
                                                        {"JOINTS_0", joints0},
                                                        {"WEIGHTS_0", weights0},
                                                        {"JOINTS_1", joints1},
                                                        {"WEIGHTS_1", weights1},
                                                        {"COLOR_0", colours}})});
    tinygltf::Node root;
    root.matrix = translationMatrix(0, 1, 0);
    root.children = {1};
    b.addNode(root);
    const int hand = b.addNode(-1, {}, {0, 1, 0});
    tinygltf::Node skinned;
    skinned.mesh = mesh;
    skinned.skin = 0;
    b.addScene({0, b.addNode(skinned)});
    b.addSkin({0, hand},
              {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1});
    b.addAnimation({{hand, "translation", "STEP", {0, 1}, {0, 1, 0, 0, 2, 0}},
                    {hand, "rotation", "LINEAR", {0, 1}, {0, 0, 0, 1, 0, 0.7071f, 0, 0.7071f}},
                    {hand, "scale", "CUBICSPLINE", {0, 1}, {0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 2, 2, 2, 0, 0, 0}}},
                   "wave");
    return b;
}

// A quad with texture coordinates, a 2 x 2 PNG in a buffer view and a sampler.
GltfBuilder gltfTextured() {
    GltfBuilder b;
    const int positions = b.addFloats({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, TINYGLTF_TYPE_VEC3);
    const int normals = b.addFloats({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC3);
    const int texCoords = b.addAccessor(std::vector<std::uint16_t>{0, 0, 65535, 0, 0, 65535, 65535, 65535},
                                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC2, true);
    const int indices = b.addAccessor(std::vector<std::uint8_t>{0, 1, 2, 2, 1, 3},
                                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_SCALAR);
    tinygltf::Sampler sampler;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    b.model.samplers.push_back(sampler);
    const std::vector<std::uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    tinygltf::Material material;
    material.name = "painted";
    material.pbrMetallicRoughness.baseColorTexture.index = b.addTexture(b.addEmbeddedImage(encodePng(2, 2, pixels)), 0);
    material.alphaMode = "MASK";
    b.addMesh({GltfBuilder::primitive({{"POSITION", positions}, {"NORMAL", normals}, {"TEXCOORD_0", texCoords}},
                                      indices, b.addMaterial(material))});
    b.addScene({b.addNode(0)});
    return b;
}

std::vector<std::pair<std::string, Bytes>> gltfSeeds() {
    const std::string json = gltfTriangle().gltfText();
    return {{"triangle.glb", gltfTriangle().glb()},
            {"triangle.gltf", Bytes(json.begin(), json.end())},
            {"skinned_animated.glb", gltfSkinnedAnimated().glb()},
            {"textured.glb", gltfTextured().glb()}};
}

bool makeDirectory(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }

template <typename Container>
bool writeSeeds(const std::string& root, const std::string& target,
                const std::vector<std::pair<std::string, Container>>& seeds) {
    const std::string directory = root + "/" + target;
    if (!makeDirectory(directory)) {
        std::fprintf(stderr, "cannot create %s\n", directory.c_str());
        return false;
    }
    for (const auto& [name, content] : seeds) {
        const std::string path = directory + "/" + name;
        if (content.empty()) {
            std::fprintf(stderr, "cannot make the seed %s\n", path.c_str());
            return false;
        }
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file != nullptr && std::fwrite(content.data(), 1, content.size(), file) == content.size();
        if (file != nullptr && std::fclose(file) != 0) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    FreeImage_Initialise(FALSE);
    const bool ok = makeDirectory(root) && writeSeeds(root, "fuzz_bitmap", bitmapSeeds()) &&
                    writeSeeds(root, "fuzz_model", modelSeeds()) && writeSeeds(root, "fuzz_config", configSeeds()) &&
                    writeSeeds(root, "fuzz_shader_source", shaderSeeds()) && writeSeeds(root, "fuzz_hdr", hdrSeeds()) &&
                    writeSeeds(root, "fuzz_gltf", gltfSeeds());
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
