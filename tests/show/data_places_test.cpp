// Where the show looks for its data, and in which order.

#include "shell/data_places.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "shell/schedule.h"
#include "tests/test_support.h"

namespace {

using Places = std::vector<std::string>;

// Makes dir (under temp) and, when asked, the data folder in it.
std::string place(const TempDir& temp, const std::string& dir, bool withData) {
    const std::string path = temp.file(dir);
    EXPECT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
    if (withData) {
        EXPECT_EQ(::mkdir((path + "/" + schedule::kDataFolder).c_str(), 0755), 0) << path;
    }
    return path;
}

TEST(DataPlaces, WorkingDirectoryThenProgramFolderThenInstalledFolder) {
    EXPECT_EQ(dataPlaces("/home/ann", "/opt/orvel", "/usr/share/games/orvel"),
              (Places{"/home/ann", "/opt/orvel", "/usr/share/games/orvel"}));
}

TEST(DataPlaces, LeavesOutUnknownAndRepeatedPlaces) {
    EXPECT_EQ(dataPlaces("/opt/orvel", "/opt/orvel", "/usr/share/games/orvel"),
              (Places{"/opt/orvel", "/usr/share/games/orvel"}));
    EXPECT_EQ(dataPlaces("", "/opt/orvel", ""), (Places{"/opt/orvel"}));
    EXPECT_EQ(dataPlaces("C:\\Users\\ann", "C:\\orvel", ""), (Places{"C:\\Users\\ann", "C:\\orvel"}));
    EXPECT_EQ(dataPlaces("", "", ""), Places{});
}

TEST(FirstDataPlace, TheFirstPlaceThatHoldsTheDataFolderWins) {
    TempDir temp;
    const std::string started = place(temp, "started", false);
    const std::string program = place(temp, "program", true);
    const std::string installed = place(temp, "installed", true);
    EXPECT_EQ(firstDataPlace({started, program, installed}), program);
    EXPECT_EQ(firstDataPlace({installed, program}), installed);
    EXPECT_EQ(firstDataPlace({started, temp.file("gone"), installed}), installed);
}

TEST(FirstDataPlace, NothingWhenNoPlaceHoldsTheDataFolder) {
    TempDir temp;
    const std::string empty = place(temp, "empty", false);
    // The music alone, or a file where the folder should be, is no data.
    const std::string musicOnly = place(temp, "music-only", false);
    std::ofstream(musicOnly + "/" + schedule::kMusicFile) << "not music";
    const std::string fileInTheWay = place(temp, "file", false);
    std::ofstream(fileInTheWay + "/" + schedule::kDataFolder) << "not a folder";
    EXPECT_EQ(firstDataPlace({empty, musicOnly, fileInTheWay, temp.file("gone")}), "");
    EXPECT_EQ(firstDataPlace({}), "");
}

// The words are the program's own; what they must hold is the data looked
// for and, at the end, every place in order.
TEST(NoDataMessage, NamesTheDataAndEveryPlaceInOrder) {
    const std::string message = noDataMessage({"/home/ann", "/opt/orvel", "/usr/share/games/orvel"});
    EXPECT_NE(message.find(schedule::kDataFolder), std::string::npos) << message;
    EXPECT_NE(message.find(std::string("\"") + schedule::kMusicFile + "\""), std::string::npos) << message;
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_PRED2(endsWith, message, " /home/ann, /opt/orvel and /usr/share/games/orvel");
    EXPECT_PRED2(endsWith, noDataMessage({"/home/ann", "/opt/orvel"}), " /home/ann and /opt/orvel");
    EXPECT_PRED2(endsWith, noDataMessage({"Z:\\orvel"}), " Z:\\orvel");
}

}  // namespace
