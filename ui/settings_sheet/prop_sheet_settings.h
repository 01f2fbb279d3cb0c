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

    CPropPage* PageAt(int page) const { return pages_[page]; }
    CPropPageGeneralSettings* GeneralSettingsPage() const { return general_; }
    CPropPagePlaylist* PlaylistPage() const { return playlist_; }
    CPropPageFileTypes* FileTypesPage() const { return fileTypes_; }
    CPropPageMP3* MP3Page() const { return mp3_; }

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* ApplyButton() const { return apply_; }
    QTreeWidget* PageTree() const { return tree_; }

    // Applies every page that has been initialised, in the order of the tree.
    void ApplyPages();

public slots:
    void accept() override;

private:
    void OnApplyClicked();
    void OnPageModified();

    CPropPageGeneralSettings* general_;
    CPropPagePlaylist* playlist_;
    CPropPageFileTypes* fileTypes_;
    CPropPageMP3* mp3_;
    std::array<CPropPage*, kPageCount> pages_;

    QTreeWidget* tree_;
    QStackedWidget* stack_;
    QLabel* pageTitle_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* apply_;
};
