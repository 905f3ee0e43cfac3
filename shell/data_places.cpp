#include "shell/data_places.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "shell/schedule.h"

std::vector<std::string> dataPlaces(const std::string& workingDirectory, const std::string& programFolder,
                                    const std::string& installedDataFolder) {
    std::vector<std::string> places;
    for (const std::string& place : {workingDirectory, programFolder, installedDataFolder}) {
        if (place.empty() || std::find(places.begin(), places.end(), place) != places.end()) continue;
        places.push_back(place);
    }
    return places;
}

std::string firstDataPlace(const std::vector<std::string>& places) {
    for (const std::string& place : places) {
        // A place that cannot be read counts as one without the data.
        std::error_code unreadable;
        if (std::filesystem::is_directory(std::filesystem::path(place) / schedule::kDataFolder, unreadable))
            return place;
    }
    return "";
}

std::string noDataMessage(const std::vector<std::string>& places) {
    std::string message = std::string("cannot find the show's data (the folder ") + schedule::kDataFolder +
                          " and the music \"" + schedule::kMusicFile + "\"); looked in ";
    for (size_t i = 0; i < places.size(); ++i) {
        if (i > 0) message += i + 1 == places.size() ? " and " : ", ";
        message += places[i];
    }
    return message;
}

std::string enterFirstDataPlace(const std::vector<std::string>& places) {
    const std::string place = firstDataPlace(places);
    if (place.empty()) return noDataMessage(places);
    std::error_code entered;
    std::filesystem::current_path(place, entered);
    if (entered) return "cannot enter the data folder " + place + ": " + entered.message();
    return "";
}
