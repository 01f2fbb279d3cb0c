#include "ui/toolkit/qt_file_filter.h"

#include <vector>

namespace toolkit {

QStringList ToQtNameFilters(const std::string& filter) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    QStringList result;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            break;  // the closing "|"
        }
        QString description = QString::fromStdString(parts[i]).trimmed();
        const int open = description.lastIndexOf('(');
        if (open > 0 && description.endsWith(')')) {
            description = description.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& pattern :
             QString::fromStdString(parts[i + 1]).split(';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns << (trimmed == "*.*" ? QString("*") : trimmed);
        }
        if (patterns.isEmpty()) {
            patterns << "*";
        }
        result << description + " (" + patterns.join(' ') + ")";
    }
    return result;
}

}  // namespace toolkit
