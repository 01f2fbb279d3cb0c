#pragma once

#include <string_view>

// Every persistent setting, once: its property name, where it is stored and its default.
// Readers and writers name a property by one of the constants below, so a misspelt name
// does not compile and a default cannot differ between two places that read it. The
// sections and value names are shared with the installer and with earlier installations;
// they must not change.

enum class PropertyType { kInteger, kText };

struct PropertyDescriptor {
    std::string_view name;
    PropertyType type;
    std::string_view section;  // empty: the application key itself
    std::string_view valueName;
    int integerDefault;
    std::string_view textDefault;
};

// The two kinds as types of their own, so that an integer property cannot be read as text.
struct IntProperty {
    PropertyDescriptor descriptor;
    constexpr IntProperty(std::string_view name, std::string_view section,
                          std::string_view valueName, int defaultValue)
        : descriptor{name, PropertyType::kInteger, section, valueName, defaultValue, ""} {}
    constexpr std::string_view Name() const { return descriptor.name; }
    constexpr int Default() const { return descriptor.integerDefault; }
};

struct TextProperty {
    PropertyDescriptor descriptor;
    constexpr TextProperty(std::string_view name, std::string_view section,
                           std::string_view valueName, std::string_view defaultValue)
        : descriptor{name, PropertyType::kText, section, valueName, 0, defaultValue} {}
    constexpr std::string_view Name() const { return descriptor.name; }
    constexpr std::string_view Default() const { return descriptor.textDefault; }
};

namespace property {

inline constexpr IntProperty kFirstTimeInitComplete{"prop_FirstTimeInitComplete", "",
                                                    "FirstTimeInitComplete", 0};
inline constexpr IntProperty kWindowPositionX{"prop_WindowPositionX", "GeneralSettings",
                                              "WindowPositionX", 0};
inline constexpr IntProperty kWindowPositionY{"prop_WindowPositionY", "GeneralSettings",
                                              "WindowPositionY", 0};
inline constexpr IntProperty kIsIconic{"prop_IsIconic", "GeneralSettings", "IsIconic", 0};
inline constexpr IntProperty kSingleInstance{"prop_SingleInstance", "GeneralSettings",
                                             "SingleInstance", 1};
inline constexpr IntProperty kPlaySound{"prop_PlaySound", "GeneralSettings", "PlaySound", 1};
inline constexpr IntProperty kTransparency{"prop_Transparency", "GeneralSettings", "Transparency",
                                           0};
inline constexpr TextProperty kLanguage{"prop_Language", "GeneralSettings", "Language", "EN"};
inline constexpr IntProperty kReadID3Tags{"prop_ReadID3Tags", "MP3", "ReadID3Tags", 1};
inline constexpr TextProperty kTitleMask{"prop_TitleMask", "MP3", "TitleMask", "%3 - %2"};
inline constexpr IntProperty kAutoPlaylistName{"prop_AutoPlaylistName", "Playlist",
                                               "AutoPlaylistName", 0};
inline constexpr IntProperty kAutoPlaylistFolder{"prop_AutoPlaylistFolder", "Playlist",
                                                 "AutoPlaylistFolder", 0};
inline constexpr TextProperty kAddNewEntries{"prop_AddNewEntries", "Playlist", "AddNewEntries",
                                             "Bottom"};
inline constexpr TextProperty kSaveMode{"prop_SaveMode", "Playlist", "SaveMode", "Relative"};
inline constexpr TextProperty kPlaylistType{"prop_PlaylistType", "Playlist", "PlaylistType",
                                            ".pls"};
inline constexpr TextProperty kSelectPlaylistFolder{"prop_SelectPlaylistFolder", "",
                                                    "SelectPlaylistFolder", ""};
inline constexpr TextProperty kSelectSongFolder{"prop_SelectSongFolder", "", "SelectSongFolder",
                                                ""};
inline constexpr TextProperty kSelectSongs{"prop_SelectSongs", "", "SelectSongs", ""};
inline constexpr TextProperty kPreviousFilter{"prop_PreviousFilter", "", "PreviousFilter", ""};
inline constexpr IntProperty kTotalPlaylists{"prop_TotalPlaylists", "Donations", "TotalPlaylists",
                                             0};
inline constexpr IntProperty kTotalSongs{"prop_TotalSongs", "Donations", "TotalSongs", 0};

// How far the window's client area lies inside its frame, noted with the frame's corner
// above: a window manager tells the frame only once the window is on screen, and the
// stored corner is the frame's, so the next start needs these to place the client area.
inline constexpr IntProperty kWindowFrameLeft{"prop_WindowFrameLeft", "GeneralSettings",
                                              "WindowFrameLeft", 0};
inline constexpr IntProperty kWindowFrameTop{"prop_WindowFrameTop", "GeneralSettings",
                                             "WindowFrameTop", 0};

// The whole table, for the lookup by name.
inline constexpr const PropertyDescriptor* kAll[] = {
    &kFirstTimeInitComplete.descriptor,
    &kWindowPositionX.descriptor,
    &kWindowPositionY.descriptor,
    &kIsIconic.descriptor,
    &kSingleInstance.descriptor,
    &kPlaySound.descriptor,
    &kTransparency.descriptor,
    &kLanguage.descriptor,
    &kReadID3Tags.descriptor,
    &kTitleMask.descriptor,
    &kAutoPlaylistName.descriptor,
    &kAutoPlaylistFolder.descriptor,
    &kAddNewEntries.descriptor,
    &kSaveMode.descriptor,
    &kPlaylistType.descriptor,
    &kSelectPlaylistFolder.descriptor,
    &kSelectSongFolder.descriptor,
    &kSelectSongs.descriptor,
    &kPreviousFilter.descriptor,
    &kTotalPlaylists.descriptor,
    &kTotalSongs.descriptor,
    &kWindowFrameLeft.descriptor,
    &kWindowFrameTop.descriptor,
};

}  // namespace property
