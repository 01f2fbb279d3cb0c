#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/toolkit/colored_list.h"

class CFileDropListCtrl;

// What one drop delivers: the accepted paths in drop order (links already resolved to their
// targets) and the row under the drop point, -1 when the point was on no row.
struct DropNotification {
    CFileDropListCtrl* list = nullptr;
    std::vector<std::string> paths;
    int dropIndex = -1;
};

// How the list treats drops.
struct DropMode {
    enum Flags {
        kAcceptFiles = 0x01,
        kAcceptFolders = 0x02,
        kAllowDuplicates = 0x04,  // self-inserting mode: insert even what the list shows
        kUseFilter = 0x10,        // only files whose extension is in the filter
        kCallback = 0x20,         // deliver one notification instead of inserting
    };
    int flags = kAcceptFiles | kAcceptFolders;
    std::string filter;  // ";"-separated extensions with their dot: ".mp3;.wav"
    std::function<void(const DropNotification&)> callback;
};

// The list of the main window that takes files and folders dragged from the file manager.
// While a drag of local files moves over it, the row under the pointer is selected and the
// list scrolls at its edges; a drop checks every path and hands the accepted ones over.
class CFileDropListCtrl : public toolkit::CListCtrlColored {
    Q_OBJECT
public:
    explicit CFileDropListCtrl(QWidget* parent = nullptr);

    // Refuses (false, nothing changed) a callback mode without a callback.
    bool SetDropMode(const DropMode& mode);
    const DropMode& GetDropMode() const { return m_mode; }

    // Whether the drag now over the list is one this list takes.
    bool IsDragAccepted() const { return m_dragAccepted; }
    const DropNotification& GetLastDrop() const { return m_notification; }

    // The local file a freedesktop link file (".desktop" of Type=Link with a file: URL)
    // points to; the empty text for any other path. Symbolic links need no resolving: the
    // file system follows them.
    static std::string ResolveLink(const std::string& path);
    // Whether the mode takes this existing path (a missing one is never taken).
    bool IsAcceptedPath(const std::string& path) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Self-inserting mode: puts path at the top unless the list already shows it.
    virtual void InsertPath(const std::string& path);

private:
    DropMode m_mode;
    DropNotification m_notification;
    bool m_dragAccepted = false;
};
