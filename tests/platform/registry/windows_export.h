#pragma once

#include <string>
#include <string_view>

// A user's settings as Windows' registry editor exports the program's key: every one of
// the properties with a value other than its default, the file types, the installer's
// language, and an expandable text as regedit writes it (hex(2), UTF-16LE). Lines end in
// CR LF; the text is UTF-8 here, to be turned into the file's UTF-16LE by Utf16LeFile.
inline std::string WindowsExportText() {
    return "Windows Registry Editor Version 5.00\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3]\r\n"
           "\"FirstTimeInitComplete\"=dword:00000001\r\n"
           "\"Installer Language\"=\"1031\"\r\n"
           "\"SelectPlaylistFolder\"=\"C:\\\\Users\\\\Jürgen\\\\Playlists\"\r\n"
           "\"SelectSongFolder\"=\"D:\\\\Musik\\\\Café – Live\"\r\n"
           "\"SelectSongs\"=\"D:\\\\Musik\"\r\n"
           "\"PreviousFilter\"=\"mp3\"\r\n"
           "\"Home\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,\\\r\n"
           "  00,45,00,25,00,00,00\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\Donations]\r\n"
           "\"TotalPlaylists\"=dword:0000002a\r\n"
           "\"TotalSongs\"=dword:00000539\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\FileTypes]\r\n"
           "\"mp3\"=\"1\"\r\n"
           "\"ogg\"=\"1\"\r\n"
           "\"flac\"=\"0\"\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\GeneralSettings]\r\n"
           "\"WindowPositionX\"=dword:0000012c\r\n"
           "\"WindowPositionY\"=dword:ffffff9c\r\n"
           "\"IsIconic\"=dword:00000001\r\n"
           "\"SingleInstance\"=dword:00000000\r\n"
           "\"PlaySound\"=dword:00000000\r\n"
           "\"Transparency\"=dword:00000001\r\n"
           "\"Language\"=\"DE\"\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\MP3]\r\n"
           "\"ReadID3Tags\"=dword:00000000\r\n"
           "\"TitleMask\"=\"%1 – %2 (%4)\"\r\n"
           "\r\n"
           "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\Playlist]\r\n"
           "\"AutoPlaylistName\"=dword:00000001\r\n"
           "\"AutoPlaylistFolder\"=dword:00000001\r\n"
           "\"AddNewEntries\"=\"Top\"\r\n"
           "\"SaveMode\"=\"Absolute\"\r\n"
           "\"PlaylistType\"=\".m3u\"\r\n"
           "\r\n";
}

// UTF-8 text as a UTF-16LE file with its byte-order mark, as regedit saves an export.
inline std::string Utf16LeFile(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        const auto unit = [&out](char32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}
