#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

// Sets LC_ALL, LC_MESSAGES and LANG for one test and puts the old values back.
class ScopedLocale {
public:
    ScopedLocale(const char* all, const char* messages, const char* lang) {
        for (int i = 0; i < 3; ++i) {
            const char* old = getenv(kNames[i]);
            m_saved[i] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        Set(0, all);
        Set(1, messages);
        Set(2, lang);
    }
    ~ScopedLocale() {
        for (int i = 0; i < 3; ++i) {
            Set(i, m_saved[i] ? m_saved[i]->c_str() : nullptr);
        }
    }

private:
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    static void Set(int i, const char* value) {
        if (value) {
            setenv(kNames[i], value, 1);
        } else {
            unsetenv(kNames[i]);
        }
    }
    std::optional<std::string> m_saved[3];
};
