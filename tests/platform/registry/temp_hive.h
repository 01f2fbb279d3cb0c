#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "tests/support/temp_folder.h"

// A settings hive of its own for one test: XDG_CONFIG_HOME points at a fresh temporary
// folder while the object lives, and the folder goes with it.
class TempHive {
public:
    TempHive() : m_temp("tracklace-hive"), m_folder(m_temp.String()) {
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
    }
    TempHive(const TempHive&) = delete;
    TempHive& operator=(const TempHive&) = delete;

    const std::string& folder() const { return m_folder; }
    std::string file() const { return m_folder + "/Wendmark/HKEY_CURRENT_USER.reg"; }
    bool Exists() const { return std::filesystem::exists(file()); }

    std::string Read() const {
        std::ifstream in(file(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(std::string_view bytes) const {
        std::filesystem::create_directories(m_folder + "/Wendmark");
        std::ofstream out(file(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    TempFolder m_temp;
    std::string m_folder;
};
