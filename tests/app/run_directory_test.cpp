// The run directory: which folder the program runs in, and the per-user folder it fills and repairs.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/run_directory.h"
#include "app/user_run_directory.h"
#include "support/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

// A scratch tree: a working directory, an installation prefix and a home, none of them the real ones.
class RunDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"start", "prefix/bin", "home"}) fs::create_directories(scratch.file(folder));
        search.workingDirectory = scratch.file("start");
        search.executable = scratch.file("prefix/bin/lumivor");
        search.home = scratch.file("home");
        search.dataDirectories = scratch.file("nowhere");
    }
    // A data folder as an install leaves it: config.cfg and Shader/.
    std::string install(const std::string& folder) {
        fs::create_directories(scratch.file(folder + "/Shader"));
        scratch.writeFile(folder + "/config.cfg", "800 600 1\n");
        return scratch.file(folder);
    }
    std::string target(const std::string& link) { return fs::read_symlink(scratch.file(link)).string(); }

    ScratchDirectory scratch;
    RunDirectorySearch search;
};

}  // namespace

TEST_F(RunDirectoryTest, InstalledDataIsLookedForBesideTheProgramThenInTheXdgFoldersInOrder) {
    search.executable = "/opt/lumivor/bin/lumivor";
    search.dataDirectories = "/usr/share:relative/share::/opt/lumivor/share:/usr/share/";
    EXPECT_EQ(installedDataCandidates(search),
              (std::vector<std::string>{"/opt/lumivor/share/lumivor", "/usr/share/lumivor"}));
    search.dataDirectories.clear();
    search.executable.clear();  // /proc/self/exe unreadable
    EXPECT_EQ(installedDataCandidates(search),
              (std::vector<std::string>{"/usr/local/share/lumivor", "/usr/share/lumivor"}));
}

TEST_F(RunDirectoryTest, ThePerUserFolderIsUnderXdgDataHomeElseUnderTheHomeFolder) {
    search.home = "/home/u";
    EXPECT_EQ(userRunFolder(search), "/home/u/.local/share/lumivor");
    search.dataHome = "relative/data";  // invalid, so ignored
    EXPECT_EQ(userRunFolder(search), "/home/u/.local/share/lumivor");
    search.dataHome = "/data/u";
    EXPECT_EQ(userRunFolder(search), "/data/u/lumivor");
    search = RunDirectorySearch();
    EXPECT_EQ(userRunFolder(search), "");
}

TEST_F(RunDirectoryTest, AWorkingDirectoryWithAConfigurationOrAShaderFolderIsUsedAsItIs) {
    install("prefix/share/lumivor");
    fs::create_directories(scratch.file("with-shaders/Shader"));
    fs::create_directories(scratch.file("with-configuration"));
    scratch.writeFile("with-configuration/config.cfg", "");
    for (const char* folder : {"with-shaders", "with-configuration"}) {
        search.workingDirectory = scratch.file(folder);
        const RunDirectoryChoice choice = chooseRunDirectory(search);
        EXPECT_EQ(choice.kind, RunDirectoryKind::Working) << folder;
        EXPECT_EQ(choice.directory, scratch.file(folder)) << folder;
    }
}

TEST_F(RunDirectoryTest, ElsewhereTheProgramRunsInThePerUserFolderOverTheFirstInstallFound) {
    search.dataDirectories = scratch.file("empty") + ":" + scratch.file("xdg");
    install("xdg/lumivor");
    const RunDirectoryChoice choice = chooseRunDirectory(search);
    EXPECT_EQ(choice.kind, RunDirectoryKind::PerUser);
    EXPECT_EQ(choice.installedData, scratch.file("xdg/lumivor"));
    EXPECT_EQ(choice.directory, scratch.file("home/.local/share/lumivor"));
    install("prefix/share/lumivor");  // beside the program comes first
    EXPECT_EQ(chooseRunDirectory(search).installedData, scratch.file("prefix/share/lumivor"));
}

TEST_F(RunDirectoryTest, WithoutDataOrWithoutAHomeTheProblemNamesEveryPlaceLookedAt) {
    search.dataDirectories = scratch.file("a") + ":" + scratch.file("b");
    RunDirectoryChoice choice = chooseRunDirectory(search);
    EXPECT_EQ(choice.kind, RunDirectoryKind::NotFound);
    for (const std::string& place : {search.workingDirectory, scratch.file("prefix/share/lumivor"),
                                     scratch.file("a/lumivor"), scratch.file("b/lumivor")}) {
        EXPECT_NE(choice.problem.find(place), std::string::npos) << place << " in: " << choice.problem;
    }
    install("a/lumivor");
    search.home.clear();
    choice = chooseRunDirectory(search);
    EXPECT_EQ(choice.kind, RunDirectoryKind::NotFound);
    EXPECT_NE(choice.problem.find("neither HOME nor XDG_DATA_HOME"), std::string::npos) << choice.problem;
}

TEST_F(RunDirectoryTest, TheFirstStartLinksTheInstalledDataAndCopiesTheConfiguration) {
    const std::string data = install("prefix/share/lumivor");
    scratch.writeFile("prefix/share/lumivor/noise.bmp", "BM");
    scratch.writeFile("prefix/share/lumivor/Log.txt", "a log that must never be written through a link");
    std::string cause;
    ASSERT_TRUE(fillUserRunDirectory(data, scratch.file("home/.local/share/lumivor"), cause)) << cause;
    EXPECT_EQ(target("home/.local/share/lumivor/Shader"), data + "/Shader");
    EXPECT_EQ(target("home/.local/share/lumivor/noise.bmp"), data + "/noise.bmp");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(scratch.file("home/.local/share/lumivor/config.cfg"))));
    EXPECT_EQ(scratch.readFile("home/.local/share/lumivor/config.cfg"), "800 600 1\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.file("home/.local/share/lumivor/Log.txt"))));
}

TEST_F(RunDirectoryTest, LaterStartsRepairMovedLinksAddNewFilesAndKeepTheUsersOwn) {
    const std::string data = install("new/share/lumivor");
    for (const char* name : {"noise.bmp", "studio2.hdr", "tsy_hdrfin.hdr", "mannequin.glb"}) {
        scratch.writeFile(std::string("new/share/lumivor/") + name, name);
    }
    const std::string user = scratch.file("home/.local/share/lumivor");
    fs::create_directories(user);
    scratch.writeFile("home/.local/share/lumivor/config.cfg", "1024 768 2\n");         // edited
    fs::create_symlink("/gone/share/lumivor/noise.bmp", user + "/noise.bmp");          // a moved install
    scratch.writeFile("home/.local/share/lumivor/studio2.hdr", "the user's own map");  // replaced by hand
    fs::create_symlink(scratch.file("maps/forest.hdr"), user + "/tsy_hdrfin.hdr");     // the user's link
    std::string cause;
    ASSERT_TRUE(fillUserRunDirectory(data, user, cause)) << cause;
    EXPECT_EQ(scratch.readFile("home/.local/share/lumivor/config.cfg"), "1024 768 2\n");
    EXPECT_EQ(target("home/.local/share/lumivor/noise.bmp"), data + "/noise.bmp");
    EXPECT_EQ(scratch.readFile("home/.local/share/lumivor/studio2.hdr"), "the user's own map");
    EXPECT_EQ(target("home/.local/share/lumivor/tsy_hdrfin.hdr"), scratch.file("maps/forest.hdr"));
    EXPECT_EQ(target("home/.local/share/lumivor/mannequin.glb"), data + "/mannequin.glb");
}

TEST_F(RunDirectoryTest, DataInstalledIntoThePerUserFolderItselfIsLeftAsItIs) {
    const std::string data = install("home/.local/share/lumivor");  // cmake --install --prefix ~/.local
    std::string cause;
    ASSERT_TRUE(fillUserRunDirectory(data, scratch.file("home/.local/share/lumivor"), cause)) << cause;
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(data + "/Shader")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(data + "/config.cfg")));
}

TEST_F(RunDirectoryTest, AFolderThatCannotBeMadeIsReportedWithItsPathAndCause) {
    const std::string data = install("prefix/share/lumivor");
    scratch.writeFile("home/.local", "a file where a folder should be");
    std::string cause;
    EXPECT_FALSE(fillUserRunDirectory(data, scratch.file("home/.local/share/lumivor"), cause));
    EXPECT_EQ(cause.rfind(scratch.file("home/.local/share/lumivor") + ": ", 0), 0u) << cause;
}
