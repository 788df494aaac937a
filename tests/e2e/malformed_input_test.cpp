// The real program with broken input files: each breakage of each file the program reads ends as its reader says.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitMilliseconds = 90000;
constexpr int kFailedStartStatus = 1;  // an unreadable noise map ends the run with it
const std::vector<std::string> kRunArguments = {"--windowed", "--no-dialogs", "--verbose", "--frames", "3"};
const char* const kSmallConfiguration = "160 120 1\n";
const char* const kDefaultWindow = "window created (windowed, 800x600)";

enum class Breakage { Missing, Empty, Truncated, Garbage, WrongType, HugeCounts, Directory, Unreadable };

// What kind of file a breakage is applied to: each has its own wrong type and huge variant.
enum class Role { Configuration, Map, Bitmap, Character, Shader };

const char* const kMapFiles[] = {"uffizi-large.hdr", "tsy_hdrfin.hdr", "studio2.hdr"};

struct ShaderFile {
    const char* path;
    std::vector<int> slots;  // the program slots built from it
};

// Two sets that together break every shader file once while no slot has
// both of its files broken, so each slot reports exactly the broken one.
const std::vector<ShaderFile> kShaderSetA = {
    {"Shader/tonemap.vsh", {0}},   {"Shader/posout.vsh", {2}},         {"Shader/pp.vsh", {4}},
    {"Shader/blur.vsh", {8}},      {"Shader/ibl.fsh", {1}},            {"Shader/norout.fsh", {3}},
    {"Shader/iblrefl.fsh", {5}},   {"Shader/ao.fsh", {6}},             {"Shader/downsample_comb.fsh", {7}},
    {"Shader/downsample.fsh", {9}},
};
const std::vector<ShaderFile> kShaderSetB = {
    {"Shader/ibl.vsh", {1, 5, 6}}, {"Shader/norout.vsh", {3}},  {"Shader/downsample.vsh", {7, 9}},
    {"Shader/tonemap.fsh", {0}},   {"Shader/posout.fsh", {2}},  {"Shader/pp.fsh", {4}},
    {"Shader/blur.fsh", {8}},
};

std::string original(const std::string& name) { return readWholeFile(std::string(LUMIVOR_RUN_DIR) + "/" + name); }

// Deterministic bytes that no reader takes for its own format: the first
// byte is neither a digit, a sign, white space, "B" nor "#".
std::string garbage(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 0x2545F491u;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    bytes[0] = '\xff';
    return bytes;
}

// The start of a PNG file: signature, header chunk and end chunk.
std::string pngBytes() {
    const char png[] =
        "\x89PNG\r\n\x1a\n"
        "\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0\x90\x91\x68\x36"
        "\0\0\0\0IEND\xae\x42\x60\x82";
    return std::string(png, sizeof png - 1);
}

std::string littleEndian(std::uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return text;
}

// A run-length encoded 8-bit bitmap announcing 100000 x 100000 pixels in a few bytes.
std::string hugeBitmap() {
    constexpr std::uint32_t kSide = 100000;
    constexpr std::uint32_t kRle8 = 1;
    constexpr std::uint32_t kPaletteBytes = 256 * 4;
    constexpr std::uint32_t kHeadersBytes = 14 + 40;
    std::string file = "BM" + littleEndian(kHeadersBytes + kPaletteBytes + 4, 4) + littleEndian(0, 4) +
                       littleEndian(kHeadersBytes + kPaletteBytes, 4);
    file += littleEndian(40, 4) + littleEndian(kSide, 4) + littleEndian(kSide, 4) + littleEndian(1, 2) +
            littleEndian(8, 2) + littleEndian(kRle8, 4) + std::string(20, '\0');
    file += std::string(kPaletteBytes, '\x7f');
    file += std::string("\xff\x01\x00\x01", 4);  // one run, then the end of the bitmap
    return file;
}

std::string wrongTypeContent(Role role) {
    switch (role) {
        case Role::Map:
        case Role::Character:
            return original("noise.bmp");  // a bitmap where a map or a text is expected
        case Role::Bitmap:
            return original("uffizi-large.hdr");  // a Radiance map where a bitmap is expected
        case Role::Configuration:
        case Role::Shader:
            break;
    }
    return pngBytes();
}

std::string hugeContent(Role role, const std::string& name) {
    switch (role) {
        case Role::Configuration:
            return "99999999999 99999999999 2\n";  // beyond int: nothing is read
        case Role::Map:
            return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1000000 +X 1000000\n" + garbage(4096);
        case Role::Bitmap:
            return hugeBitmap();
        case Role::Character: {
            const std::string text = original(name);
            return "2000000000" + text.substr(text.find_first_of(" \n"));  // the material count
        }
        case Role::Shader:
            break;
    }
    return "//" + std::string(std::size_t{16} << 20, 'x');  // one line of 16 MiB without a line feed
}

const char* breakageName(Breakage breakage) {
    static const char* const kNames[] = {"Missing",    "Empty",      "Truncated", "Garbage",
                                         "WrongType", "HugeCounts", "Directory", "Unreadable"};
    return kNames[static_cast<int>(breakage)];
}

// Test names and failure messages show the breakage by name.
void PrintTo(Breakage breakage, std::ostream* out) { *out << breakageName(breakage); }

// Replaces a file of the run directory by its broken form; the file's
// current content is the base of the truncated form.
void breakFile(ProgramRun& run, const std::string& name, Role role, Breakage breakage) {
    const std::string content = readWholeFile(run.file(name));
    switch (breakage) {
        case Breakage::Missing:
            run.removeFile(name);
            break;
        case Breakage::Empty:
            run.writeFile(name, "");
            break;
        case Breakage::Truncated:
            run.writeFile(name, content.substr(0, role == Role::Configuration ? 6 : content.size() / 2));
            break;
        case Breakage::Garbage:
            run.writeFile(name, garbage(4096));
            break;
        case Breakage::WrongType:
            run.writeFile(name, wrongTypeContent(role));
            break;
        case Breakage::HugeCounts:
            run.writeFile(name, hugeContent(role, name));
            break;
        case Breakage::Directory:
            run.removeFile(name);
            fs::create_directory(run.file(name));
            break;
        case Breakage::Unreadable:
            run.writeFile(name, content);
            chmod(run.file(name).c_str(), 0);
            break;
    }
}

std::string characterMessage(Breakage breakage) {
    const std::string refused = "Error: animation2.txt cannot be used as the character: ";
    switch (breakage) {
        case Breakage::Missing:
        case Breakage::Directory:
        case Breakage::Unreadable:
            return "Error: Cant find .mdq!";
        case Breakage::Empty:
            return refused + "the file ends where the material count was expected";
        case Breakage::Truncated:
            return refused;
        case Breakage::Garbage:
        case Breakage::WrongType:
            return refused + "expected the material count (an integer) at token 1";
        case Breakage::HugeCounts:
            return refused + "the material count at token 1 (line 1) is 2000000000, more than the rest";
    }
    return refused;
}

std::string bitmapMessage(Breakage breakage) {
    switch (breakage) {
        case Breakage::Missing:
        case Breakage::Empty:
        case Breakage::Directory:
        case Breakage::Unreadable:
            return "Error: Failed to open DIB file noise.bmp.\n";
        case Breakage::Truncated:
            return "Error: Image file conversion error.";
        case Breakage::Garbage:
        case Breakage::WrongType:
            return "Error: Unknown DIB file format.";
        case Breakage::HugeCounts:
            return "Error: Out of memory.";
    }
    return "Error: ";
}

// Every slot built from a broken file reports one compile or link error,
// and no validation report; the empty source of an unreadable file fails
// to compile or to link, depending on the driver.
void expectShaderSlotsFailed(const std::string& log, const std::vector<ShaderFile>& files) {
    for (const ShaderFile& file : files) {
        const bool vertex = std::string(file.path).find(".vsh") != std::string::npos;
        for (const int slot : file.slots) {
            const std::string id = std::to_string(slot) + ": ";
            const std::string compilePrefix = vertex ? "VS Compiling Error! ID: " : "PS Compiling Error! ID: ";
            const int compileErrors = countOccurrences(log, compilePrefix + id);
            const int linkErrors = countOccurrences(log, "Shader Linker Error! ID: " + id);
            EXPECT_EQ(compileErrors + linkErrors, 1) << file.path << ", slot " << slot << "\n" << log;
            EXPECT_EQ(countOccurrences(log, "Shader Validation ID: " + id), 0) << file.path << ", slot " << slot;
        }
    }
}

class MalformedInputTest : public ::testing::TestWithParam<Breakage> {
protected:
    void SetUp() override {
        if (!testDisplayAvailable()) {
            GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        }
        std::string reason;
        if (GetParam() == Breakage::Unreadable && !run_.runUnprivileged(reason)) {
            GTEST_SKIP() << reason;
        }
        run_.writeFile("config.cfg", kSmallConfiguration);
        // The maps and the character are read first in every run; broken,
        // they also keep each start-up short.
        for (const char* map : kMapFiles) {
            breakFile(run_, map, Role::Map, GetParam());
        }
        breakFile(run_, "animation2.txt", Role::Character, GetParam());
    }

    int runToTheEnd() {
        EXPECT_TRUE(run_.start(kRunArguments));
        int status = -1;
        EXPECT_TRUE(run_.waitForExit(kExitMilliseconds, status)) << "the run hung\n" << run_.standardError();
        return status;
    }

    void breakShaders(const std::vector<ShaderFile>& files) {
        run_.ownCopy("Shader");  // the build's folder stays whole
        for (const ShaderFile& file : files) {
            breakFile(run_, file.path, Role::Shader, GetParam());
        }
    }

    // Each map is named in the log and gets black lights; the character's
    // reader shows one message naming what went wrong.
    void expectMapsAndCharacterRefused() {
        const std::string log = run_.readFile("Log.txt");
        for (int environment = 0; environment < 3; ++environment) {
            const std::string named = std::string("Environment map \"") + kMapFiles[environment] + "\" cannot be used: ";
            const std::string black = ". Environment " + std::to_string(environment) + " gets 64 black lights.";
            EXPECT_EQ(countOccurrences(log, named), 1) << log;
            EXPECT_EQ(countOccurrences(log, black), 1) << log;
        }
        const std::string errors = run_.standardError();
        EXPECT_EQ(countOccurrences(errors, characterMessage(GetParam())), 1) << errors;
        EXPECT_EQ(countOccurrences(errors, "Warning: "), 0) << errors;
    }

    ProgramRun run_;
};

TEST_P(MalformedInputTest, BrokenMapsCharacterAndFirstShaderSetAreReportedAndTheRunGoesOn) {
    breakShaders(kShaderSetA);
    EXPECT_EQ(runToTheEnd(), 0) << run_.standardError();
    EXPECT_EQ(countOccurrences(run_.standardError(), "shutdownScene after 3 frames"), 1) << run_.standardError();
    expectMapsAndCharacterRefused();
    EXPECT_EQ(countOccurrences(run_.standardError(), "Error: "), 1) << "only the character's message";
    expectShaderSlotsFailed(run_.readFile("Log.txt"), kShaderSetA);
}

TEST_P(MalformedInputTest, BrokenConfigurationAndSecondShaderSetFallBackAndTheRunGoesOn) {
    breakFile(run_, "config.cfg", Role::Configuration, GetParam());
    breakShaders(kShaderSetB);
    EXPECT_EQ(runToTheEnd(), 0) << run_.standardError();
    expectMapsAndCharacterRefused();
    const std::string errors = run_.standardError();
    EXPECT_EQ(countOccurrences(errors, "shutdownScene after 3 frames"), 1) << errors;
    // What was read before the break stays; the rest takes the defaults 800 600 1.
    const char* window = GetParam() == Breakage::Truncated ? "window created (windowed, 160x12)" : kDefaultWindow;
    EXPECT_EQ(countOccurrences(errors, window), 1) << errors;
    expectShaderSlotsFailed(run_.readFile("Log.txt"), kShaderSetB);
}

TEST_P(MalformedInputTest, ABrokenNoiseMapEndsStartUpWithTheReadersMessageAndAFailureStatus) {
    breakFile(run_, "noise.bmp", Role::Bitmap, GetParam());
    EXPECT_EQ(runToTheEnd(), kFailedStartStatus) << run_.standardError();
    const std::string errors = run_.standardError();
    EXPECT_EQ(countOccurrences(errors, bitmapMessage(GetParam())), 1) << errors;
    EXPECT_EQ(countOccurrences(errors, "first frame shown"), 0) << errors;
    expectMapsAndCharacterRefused();
}

INSTANTIATE_TEST_SUITE_P(Breakages, MalformedInputTest,
                         ::testing::Values(Breakage::Missing, Breakage::Empty, Breakage::Truncated, Breakage::Garbage,
                                           Breakage::WrongType, Breakage::HugeCounts, Breakage::Directory,
                                           Breakage::Unreadable),
                         [](const ::testing::TestParamInfo<Breakage>& info) { return breakageName(info.param); });

}  // namespace
