#include "ui/toolkit/frame_background.h"

#include <QAbstractScrollArea>

namespace toolkit {

void PaintBackgroundBehindFrame(QAbstractScrollArea* area) {
    area->setBackgroundRole(QPalette::Base);
    area->setAutoFillBackground(true);
    area->viewport()->setAutoFillBackground(false);
}

}  // namespace toolkit
