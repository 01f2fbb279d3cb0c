#pragma once

#include <QDialog>
#include <QPixmap>

#include <memory>

#include "platform/midi_stream/midi_stream.h"
#include "platform/midi_stream/midi_stream_opener.h"
#include "ui/toolkit/about/cmidi.h"

class QLabel;
class QPushButton;

// The about box: version and rights lines over a picture, a picture button to the maker's
// web page, and the program's own little tune, looping while the box is open when sounds
// are switched on.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // The page the picture button opens.
    static constexpr const char* kMakerWebPage = "https://www.wendmark.example/tracklace/";
    // The embedded song.
    static constexpr int kSongResource = 210;

    // midiOutput opens the stream for the music; empty means the desktop's output.
    explicit CAboutDlg(QWidget* parent = nullptr, platform::MidiStreamFactory midiOutput = {});
    ~CAboutDlg() override;

    CMIDI& Midi() { return m_midi; }
    // True from the box's showing until the music output is open (or failed to open) and
    // the box has taken it; the music starts then.
    bool IsOpeningMusicOutput() const { return m_opener != nullptr; }
    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void StartMusic();
    void PlayOnOpenedOutput();
    void OpenMakerWebPage();

    QPixmap m_background;
    QPushButton* m_webButton = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_copyright = nullptr;
    QLabel* m_rights = nullptr;
    QPushButton* m_ok = nullptr;
    platform::MidiStreamFactory m_output;
    // The output being opened for the music; the player takes its stream when it is ready.
    std::unique_ptr<platform::MidiStreamOpener> m_opener;
    CMIDI m_midi;
    bool m_musicStarted = false;
    bool m_musicWanted = false;
};
