#include "settings/store/user_language.h"

#include <cstdlib>
#include <string>

#include "platform/code_page/code_page.h"

namespace {

struct LocaleLanguage {
    std::string_view locale;  // language and territory, "de_CH"; or the language alone
    int languageId;
};

// The German identifiers decide the program's language; the others are listed so that the
// identifier means what it says, and any language missing here is simply not German.
constexpr LocaleLanguage kLanguages[] = {
    {"de_DE", 1031},
    {"de_CH", 2055},
    {"de_AT", 3079},
    {"de_LU", 4103},
    {"de_LI", 5127},
    // A locale naming German without a territory is German as spoken in Germany.
    {"de", 1031},
    {"en_US", 1033},
    {"en_GB", 2057},
    {"en_AU", 3081},
    {"en_CA", 4105},
    {"en", 1033},
    {"fr_FR", 1036},
    {"fr_CH", 4108},
    {"fr_BE", 2060},
    {"fr", 1036},
    {"it_IT", 1040},
    {"it_CH", 2064},
    {"it", 1040},
    {"es_ES", 3082},
    {"es", 3082},
    {"nl_NL", 1043},
    {"nl_BE", 2067},
    {"nl", 1043},
    {"pt_BR", 1046},
    {"pt_PT", 2070},
    {"pt", 2070},
    {"pl_PL", 1045},
    {"pl", 1045},
    {"da_DK", 1030},
    {"sv_SE", 1053},
    {"nb_NO", 1044},
    {"fi_FI", 1035},
    {"cs_CZ", 1029},
    {"ru_RU", 1049},
    {"ja_JP", 1041},
    {"zh_CN", 2052},
    {"zh_TW", 1028},
    {"ko_KR", 1042},
    {"tr_TR", 1055},
    {"hu_HU", 1038},
};

int Lookup(std::string_view locale) {
    for (const LocaleLanguage& entry : kLanguages) {
        if (platform::EqualsIgnoringAsciiCase(entry.locale, locale)) {
            return entry.languageId;
        }
    }
    return 0;
}

}  // namespace

int LanguageIdFromLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::size_t end = locale.find_first_of(".@");
    const std::string_view name = locale.substr(0, end);
    const std::size_t underscore = name.find('_');
    if (const int id = Lookup(name)) {
        return id;
    }
    if (underscore != std::string_view::npos) {
        // A territory without an identifier of its own ("de_BE") is not the language of the
        // territories above; only the plain "de" stands for Germany.
        const std::string_view language = name.substr(0, underscore);
        if (!platform::EqualsIgnoringAsciiCase(language, "de")) {
            return Lookup(language);
        }
    }
    return 0;
}

int GetUserDefaultLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            return LanguageIdFromLocale(value);
        }
    }
    return 0;
}

bool IsGermanLanguageId(int languageId) {
    switch (languageId) {
        case 1031:
        case 2055:
        case 3079:
        case 4103:
        case 5127:
            return true;
        default:
            return false;
    }
}
