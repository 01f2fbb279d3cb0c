#pragma once

#include <QString>
#include <string>

namespace toolkit {

// The text of a language table key as a QString (the tables are UTF-8 in memory); the key
// itself when the table has no such text.
QString Text(const std::string& key);

}  // namespace toolkit
