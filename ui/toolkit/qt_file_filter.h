#pragma once

#include <QStringList>
#include <string>

namespace toolkit {

// The file dialog filter "MP3 Files (*.mp3)|*.mp3|All files (*.*)|*.*||" as Qt's name
// filters, one per description and pattern pair, in the same order. Qt takes the patterns
// from the parentheses of each entry, so they are rebuilt from the pattern half; "*.*" means
// every file and becomes "*" (on this platform "*.*" would miss names without a dot).
QStringList ToQtNameFilters(const std::string& filter);

}  // namespace toolkit
