#pragma once

#include <QDialog>
#include <array>
#include <string>

class CPropPage;
class CPropPageFileTypes;
class CPropPageGeneralSettings;
class CPropPageMP3;
class CPropPagePlaylist;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

// The settings sheet: a tree of its four pages on the left, the selected page on the right,
// OK, Cancel and Apply below. OK and Apply write every page that has been shown; Cancel,
// Escape and the close box write nothing.
class CPropSheetSettings : public QDialog {
    Q_OBJECT

public:
    // The pages in the order of the tree.
    enum Page { kGeneralSettings = 0, kPlaylist = 1, kFileTypes = 2, kMP3 = 3, kPageCount = 4 };

    // What the caller needs to know once the sheet has closed, whichever way.
    struct Outcome {
        bool accepted = false;       // closed with OK
        std::string languageBefore;  // the language code when the sheet opened
        std::string languageAfter;   // the language code now stored
        bool LanguageChanged() const { return languageBefore != languageAfter; }
    };

    explicit CPropSheetSettings(QWidget* parent = nullptr);
    ~CPropSheetSettings() override;

    // Shows the sheet modally over parent, on its first page.
    static Outcome Run(QWidget* parent);

    // Shows page (initialising it the first time) and selects it in the tree.
    void SelectPage(int page);
    int CurrentPage() const;

    CPropPage* PageAt(int page) const { return m_pages[page]; }
    CPropPageGeneralSettings* GeneralSettingsPage() const { return m_general; }
    CPropPagePlaylist* PlaylistPage() const { return m_playlist; }
    CPropPageFileTypes* FileTypesPage() const { return m_fileTypes; }
    CPropPageMP3* MP3Page() const { return m_mp3; }

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ApplyButton() const { return m_apply; }
    QTreeWidget* PageTree() const { return m_tree; }

    // Applies every page that has been initialised, in the order of the tree.
    void ApplyPages();

public slots:
    void accept() override;

private:
    void OnApplyClicked();
    void OnPageModified();

    CPropPageGeneralSettings* m_general;
    CPropPagePlaylist* m_playlist;
    CPropPageFileTypes* m_fileTypes;
    CPropPageMP3* m_mp3;
    std::array<CPropPage*, kPageCount> m_pages;

    QTreeWidget* m_tree;
    QStackedWidget* m_stack;
    QLabel* m_pageTitle;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
};
