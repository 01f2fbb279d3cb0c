#pragma once

#include <QColor>
#include <QPalette>

// A dark colour scheme of the kind desktop themes offer (light text on dark grey, as in
// Breeze Dark or qt6ct's "darker"), for checking that the windows follow the palette.
inline QPalette DarkPalette() {
    const QColor window(49, 54, 59);
    const QColor base(35, 38, 41);
    const QColor text(239, 240, 241);
    const QColor disabled(120, 123, 126);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(42, 46, 50));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(55, 61, 67));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabled);
    palette.setColor(QPalette::Highlight, QColor(61, 174, 233));
    palette.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    palette.setColor(QPalette::Link, QColor(41, 128, 185));
    palette.setColor(QPalette::Light, QColor(75, 82, 89));
    palette.setColor(QPalette::Midlight, QColor(65, 71, 77));
    palette.setColor(QPalette::Mid, QColor(40, 44, 48));
    palette.setColor(QPalette::Dark, QColor(28, 31, 34));
    palette.setColor(QPalette::Shadow, QColor(18, 20, 21));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    return palette;
}
