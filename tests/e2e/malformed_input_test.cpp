// The real program with broken input files: each breakage of each file the program reads ends as its reader says.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "state/program_slots.h"
#include "support/gl_test_context.h"
#include "support/program_run.h"
#include "support/scratch_directory.h"

namespace {

enum Breakage { Missing, Empty, Truncated, Garbage, WrongType, HugeCounts, Directory, Unreadable };
enum class Role { Configuration, Map, Bitmap, Character, Shader };

// Per breakage: its name, the character reader's message and the noise bitmap reader's message.
const struct {
    const char* name;
    const char* character;
    const char* bitmap;
} kExpected[] = {
    {"Missing", "Error: Cant find .mdq!", "Error: Failed to open DIB file noise.bmp.\n"},
    {"Empty", "the file ends where the material count was expected", "Error: Failed to open DIB file noise.bmp.\n"},
    {"Truncated", "", "Error: Image file conversion error."},
    {"Garbage", "expected the material count (an integer) at token 1", "Error: Unknown DIB file format."},
    {"WrongType", "expected the material count (an integer) at token 1", "Error: Unknown DIB file format."},
    {"HugeCounts", "the material count at token 1 (line 1) is 2000000000, more than the rest", "Error: Out of memory."},
    {"Directory", "Error: Cant find .mdq!", "Error: Failed to open DIB file noise.bmp.\n"},
    {"Unreadable", "Error: Cant find .mdq!", "Error: Failed to open DIB file noise.bmp.\n"},
};

const char* const kMapFiles[] = {"uffizi-large.hdr", "tsy_hdrfin.hdr", "studio2.hdr"};

// Two sets that together break every shader file once while no program slot has both of its files broken, so
// each slot reports exactly the broken one: set A breaks these, set B the others; per slot, the stage (vertex or
// pixel) whose file set A breaks.
const std::set<std::string> kShaderSetA = {
    "tonemap.vsh", "posout.vsh",          "pp.vsh",         "blur.vsh",       "ibl.fsh", "norout.fsh", "iblrefl.fsh",
    "ao.fsh",      "downsample_comb.fsh", "downsample.fsh", "groundlight.fsh"};
const char* const kSetAStages = "VPVPVPPPVPP";

std::string original(const std::string& name) { return readWholeFile(std::string(LUMIVOR_RUN_DIR) + "/" + name); }

// Deterministic bytes no reader takes for its own: the first is no digit, sign, space, "B" or "#".
std::string garbage(std::size_t size) {
    std::string bytes(size, '\xff');
    std::uint32_t state = 0x2545F491u;
    for (std::size_t i = 1; i < size; ++i) bytes[i] = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    return bytes;
}

std::string littleEndian(std::uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return text;
}

// A run-length encoded 8-bit bitmap announcing 100000 x 100000 pixels in a few bytes.
std::string hugeBitmap() {
    const std::uint32_t palette = 256 * 4, headers = 14 + 40;
    return "BM" + littleEndian(headers + palette + 4, 4) + littleEndian(0, 4) + littleEndian(headers + palette, 4) +
           littleEndian(40, 4) + littleEndian(100000, 4) + littleEndian(100000, 4) + littleEndian(1, 2) +
           littleEndian(8, 2) + littleEndian(1, 4) + std::string(20, '\0') + std::string(palette, '\x7f') +
           std::string("\xff\x01\x00\x01", 4);  // one run, then the end of the bitmap
}

std::string brokenContent(const std::string& content, Role role, Breakage breakage) {
    const std::string png(
        "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0\x90\x91\x68\x36"
        "\0\0\0\0IEND\xae\x42\x60\x82",
        45);
    switch (breakage) {
        case Truncated:
            return content.substr(0, role == Role::Configuration ? 6 : content.size() / 2);
        case Garbage:
            return garbage(4096);
        case WrongType:
            if (role == Role::Map || role == Role::Character) return original("noise.bmp");
            return role == Role::Bitmap ? original("uffizi-large.hdr") : png;
        case HugeCounts:
            switch (role) {
                case Role::Configuration:
                    return "99999999999 99999999999 2\n";  // beyond int: nothing is read
                case Role::Map:
                    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1000000 +X 1000000\n" + garbage(4096);
                case Role::Bitmap:
                    return hugeBitmap();
                case Role::Character:
                    return "2000000000" + content.substr(content.find_first_of(" \n"));
                case Role::Shader:
                    return "//" + std::string(std::size_t{16} << 20, 'x');  // one 16 MiB line
            }
            break;
        default:
            break;
    }
    return content;  // unreadable: the same bytes, mode 0
}

void breakFile(ProgramRun& run, const std::string& name, Role role, Breakage breakage) {
    const std::string content = readWholeFile(run.file(name));
    run.removeFile(name);
    if (breakage == Directory) std::filesystem::create_directory(run.file(name));
    if (breakage == Missing || breakage == Directory) return;
    run.writeFile(name, breakage == Empty ? "" : brokenContent(content, role, breakage));
    if (breakage == Unreadable) chmod(run.file(name).c_str(), 0);
}

class MalformedInputTest : public ::testing::TestWithParam<Breakage> {
protected:
    void SetUp() override {
        std::string reason;
        if (!testDisplayAvailable()) GTEST_SKIP() << "no DISPLAY: e2e tests run under Xvfb (scripts/test.sh)";
        if (GetParam() == Unreadable && !run_.runUnprivileged(reason)) GTEST_SKIP() << reason;
        run_.writeFile("config.cfg", "160 120 1\n");
        // The maps and the character are read in every run; broken, they also keep each start-up short.
        for (const char* map : kMapFiles) breakFile(run_, map, Role::Map, GetParam());
        breakFile(run_, "animation2.txt", Role::Character, GetParam());
    }

    // Breaks shader set A or B (none by default), runs to the end and checks the status; each map is named in
    // the log and gets black lights, and the character's reader shows one message naming what went wrong.
    void runAndExpect(int status, int shaderSet = -1) {
        run_.ownCopy("Shader");  // the build's folder stays whole
        for (const auto& entry : std::filesystem::directory_iterator(run_.file("Shader"))) {
            const std::string name = entry.path().filename();
            if (shaderSet >= 0 && (kShaderSetA.count(name) == 1) == (shaderSet == 0)) {
                breakFile(run_, "Shader/" + name, Role::Shader, GetParam());
            }
        }
        ASSERT_TRUE(run_.start({"--windowed", "--no-dialogs", "--verbose", "--frames", "3"}));
        EXPECT_EQ(run_.waitForExit(90000), status) << run_.standardError();
        const std::string log = run_.readFile("Log.txt"), errors = run_.standardError();
        for (int environment = 0; environment < 3; ++environment) {
            const std::string named =
                std::string("Environment map \"") + kMapFiles[environment] + "\" cannot be used: ";
            const std::string black = ". Environment " + std::to_string(environment + 1) + " gets 64 black lights.";
            EXPECT_EQ(countOccurrences(log, named), 1) << log;
            EXPECT_EQ(countOccurrences(log, black), 1) << log;
        }
        std::string character = kExpected[GetParam()].character;
        if (character.rfind("Error: ", 0) != 0)
            character = "Error: animation2.txt cannot be used as the character: " + character;
        EXPECT_EQ(countOccurrences(errors, character), 1) << errors;
        EXPECT_EQ(countOccurrences(errors, "Warning: "), 0) << errors;
        EXPECT_EQ(countOccurrences(errors, "shutdownScene after 3 frames"), status == 0 ? 1 : 0) << errors;
        // Every slot reports one compile error of the broken stage or one link error (the empty source of an
        // unreadable file fails either way, depending on the driver), and none a validation report.
        for (int slot = 0; shaderSet >= 0 && slot < kProgramCount; ++slot) {
            const std::string id = "ID: " + std::to_string(slot) + ": ";
            const std::string compiling =
                ((kSetAStages[slot] == 'V') == (shaderSet == 0) ? "VS" : "PS") + std::string(" Compiling Error! ") + id;
            EXPECT_EQ(countOccurrences(log, compiling) + countOccurrences(log, "Shader Linker Error! " + id), 1)
                << "slot " << slot << "\n"
                << log;
            EXPECT_EQ(countOccurrences(log, "Shader Validation " + id), 0) << "slot " << slot;
        }
    }

    ProgramRun run_;
};

TEST_P(MalformedInputTest, BrokenMapsCharacterAndFirstShaderSetAreReportedAndTheRunGoesOn) {
    runAndExpect(0, 0);
    EXPECT_EQ(countOccurrences(run_.standardError(), "Error: "), 1) << "only the character's message";
}

TEST_P(MalformedInputTest, BrokenConfigurationAndSecondShaderSetFallBackAndTheRunGoesOn) {
    breakFile(run_, "config.cfg", Role::Configuration, GetParam());
    runAndExpect(0, 1);
    // What was read before the break stays; the rest takes the defaults 800 600 1.
    const char* window = GetParam() == Truncated ? "(windowed, 160x12)" : "(windowed, 800x600)";
    EXPECT_EQ(countOccurrences(run_.standardError(), std::string("window created ") + window), 1);
}

TEST_P(MalformedInputTest, ABrokenNoiseMapEndsStartUpWithTheReadersMessageAndAFailureStatus) {
    breakFile(run_, "noise.bmp", Role::Bitmap, GetParam());
    runAndExpect(1);
    EXPECT_EQ(countOccurrences(run_.standardError(), kExpected[GetParam()].bitmap), 1) << run_.standardError();
    EXPECT_EQ(countOccurrences(run_.standardError(), "first frame shown"), 0);
}

INSTANTIATE_TEST_SUITE_P(Breakages, MalformedInputTest,
                         ::testing::Values(Missing, Empty, Truncated, Garbage, WrongType, HugeCounts, Directory,
                                           Unreadable),
                         [](const ::testing::TestParamInfo<Breakage>& info) { return kExpected[info.param].name; });

}  // namespace
