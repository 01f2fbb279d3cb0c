#pragma once

#include <string>

namespace toolkit {

// Qt's own texts (file and folder dialogs, their messages, the standard buttons) in the
// language of the tables: Qt's translation "qtbase_<code>" from Qt's translations folder,
// replacing the one installed before. Without such a translation Qt speaks English. True
// when a translation was loaded.
bool UseQtTranslations(const std::string& languageCode);

}  // namespace toolkit
