#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <vector>

// The text a control shows, empty for controls without one.
inline QString VisibleText(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    return {};
}

// Every text inside area is looked up (no key shows), every label, button and group has the
// room its text needs inside area, and no two of them overlap. More than minimumTexts texts
// must be seen, so that an empty or unbuilt area cannot pass.
inline void ExpectEveryTextFits(QWidget* area, int minimumTexts) {
    std::vector<std::pair<QWidget*, QRect>> placed;
    for (QWidget* widget : area->findChildren<QWidget*>()) {
        const QString text = VisibleText(widget);
        if (text.isEmpty() || !widget->isVisible()) {
            continue;
        }
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(text.contains("IDS_"));
        const QRect inArea(widget->mapTo(area, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(area->rect().contains(inArea))
            << "area " << area->width() << "x" << area->height();
        auto* label = qobject_cast<QLabel*>(widget);
        if (label != nullptr && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        } else {
            EXPECT_GE(widget->width(), widget->sizeHint().width());
            EXPECT_GE(widget->height(), widget->minimumSizeHint().height());
        }
        placed.emplace_back(widget, inArea);
    }
    EXPECT_GT(static_cast<int>(placed.size()), minimumTexts);
    for (size_t i = 0; i < placed.size(); ++i) {
        for (size_t j = i + 1; j < placed.size(); ++j) {
            const auto& [a, ra] = placed[i];
            const auto& [b, rb] = placed[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a)) {
                continue;  // a group and the controls inside it
            }
            EXPECT_FALSE(ra.intersects(rb))
                << VisibleText(a).toStdString() << " overlaps " << VisibleText(b).toStdString();
        }
    }
}
