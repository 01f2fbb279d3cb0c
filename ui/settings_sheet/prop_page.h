#pragma once

#include <QIcon>
#include <QWidget>
#include <string>

#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/texts.h"

class QLabel;
class QBoxLayout;

// One page of the settings sheet. The sheet drives every page through the same three steps:
// initialise (the first time the page is shown), mark modified (on every change the user
// makes) and apply (when the user confirms with OK or Apply). A page that was never shown
// is never applied, so the settings it edits keep their stored values.
class CPropPage : public QWidget {
    Q_OBJECT

public:
    // titleKey names the page's title in the language table, iconName its picture among
    // the embedded PNG resources.
    CPropPage(std::string titleKey, std::string iconName, QWidget* parent = nullptr);
    ~CPropPage() override;

    // The title text, looked up the first time it is asked for and kept from then on.
    const std::string& Title();
    QIcon Icon() const;

    bool IsInitialized() const { return m_initialized; }
    // Reads the stored values into the controls; does nothing after the first call.
    void Initialize();
    // Writes the controls' values to the store when the page has been initialised.
    void Apply();

    bool IsModified() const { return m_modified; }

signals:
    // The user changed something on the page.
    void modified();

protected:
    virtual void OnInitPage() = 0;
    virtual void OnApply() = 0;
    void SetModified();

    // The page's vertical layout, with the margins and spacing every page uses.
    QBoxLayout* PageLayout() const { return m_layout; }
    // Appends a section heading: a bold caption followed by a horizontal line.
    void AddSectionHeading(const std::string& textKey);
    // Appends a word-wrapped explanatory text.
    QLabel* AddInfoText(const std::string& textKey);

private:
    std::string m_titleKey;
    std::string m_iconName;
    std::string m_title;
    bool m_titleLoaded = false;
    bool m_initialized = false;
    bool m_modified = false;
    QBoxLayout* m_layout;
};

// A one-line label showing text as it is (a "<" in a table text never starts rich text).
QLabel* MakePlainLabel(const QString& text, QWidget* parent);
// A word-wrapped label with the text of key.
QLabel* MakeInfoLabel(const std::string& key, QWidget* parent);
// A section heading widget: the caption of key, then a line to the right edge.
QWidget* MakeSectionHeading(const std::string& key, QWidget* parent);
