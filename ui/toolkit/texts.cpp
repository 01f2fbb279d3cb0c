#include "ui/toolkit/texts.h"

#include "settings/language/language.h"

namespace toolkit {

QString Text(const std::string& key) {
    return QString::fromStdString(GetText(key));
}

}  // namespace toolkit
