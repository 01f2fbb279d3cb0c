#include "ui/controls/file_drop_list_ctrl.h"

#include <sys/stat.h>

#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "platform/code_page/code_page.h"
#include "ui/toolkit/user_interaction.h"

namespace {

// A drag this close to the top or bottom of the list scrolls one row further.
constexpr int kTopScrollZone = 14;
constexpr int kBottomScrollZone = 15;
// Link files are a few lines; anything larger is no link file.
constexpr qint64 kMaxLinkFileSize = 64 * 1024;

bool OffersLocalFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return false;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return true;
        }
    }
    return false;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           platform::EqualsIgnoringAsciiCase(
               std::string_view(text).substr(text.size() - end.size()), end);
}

// The extension with its dot, from the last "." of the last component; empty without one.
std::string ExtensionWithDot(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return path.substr(dot);
}

}  // namespace

CFileDropListCtrl::CFileDropListCtrl(QWidget* parent) : toolkit::CListCtrlColored(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    // The scrolling of a drag follows the edge rule below, not Qt's own auto-scroll.
    setAutoScroll(false);
    setDropIndicatorShown(false);
}

bool CFileDropListCtrl::SetDropMode(const DropMode& mode) {
    if ((mode.flags & DropMode::kCallback) != 0 && !mode.callback) {
        return false;
    }
    m_mode = mode;
    return true;
}

std::string CFileDropListCtrl::ResolveLink(const std::string& path) {
    if (path.empty() || !EndsWithIgnoringCase(path, ".desktop")) {
        return {};
    }
    QFile file(QString::fromStdString(path));
    if (file.size() > kMaxLinkFileSize || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    bool inEntry = false;
    bool isLink = false;
    QString url;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry) {
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals <= 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == "Type") {
            isLink = value == "Link";
        } else if (key == "URL") {
            url = value;
        }
    }
    if (!isLink) {
        return {};
    }
    const QUrl target(url);
    if (!target.isLocalFile()) {
        return {};
    }
    return target.toLocalFile().toStdString();
}

bool CFileDropListCtrl::IsAcceptedPath(const std::string& path) const {
    struct stat status {};
    if (path.empty() || stat(path.c_str(), &status) != 0) {
        return false;
    }
    if ((m_mode.flags & DropMode::kAcceptFolders) != 0 && S_ISDIR(status.st_mode)) {
        return true;
    }
    if ((m_mode.flags & DropMode::kAcceptFiles) == 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    if ((m_mode.flags & DropMode::kUseFilter) == 0) {
        return true;
    }
    const std::string extension = ExtensionWithDot(path);
    if (extension.empty()) {
        return false;
    }
    size_t start = 0;
    while (start <= m_mode.filter.size()) {
        const auto end = std::min(m_mode.filter.find(';', start), m_mode.filter.size());
        if (platform::EqualsIgnoringAsciiCase(m_mode.filter.substr(start, end - start),
                                              extension)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

void CFileDropListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    m_dragAccepted = OffersLocalFiles(event->mimeData());
    if (m_dragAccepted) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CFileDropListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_dragAccepted) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (index.isValid() && model() != nullptr) {
        const int row = index.row();
        const int rows = model()->rowCount();
        SelectRow(row);
        if (point.y() <= kTopScrollZone && row > 0) {
            EnsureRowVisible(row - 1);
        } else if (point.y() > viewport()->height() - kBottomScrollZone && row < rows - 1) {
            EnsureRowVisible(row + 1);
        } else {
            EnsureRowVisible(row);
        }
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CFileDropListCtrl::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dragAccepted = false;
    // The highlight that followed the pointer goes with it, also from the strip right of
    // the last column, which no cell repaints.
    if (selectionModel() != nullptr) {
        selectionModel()->clearSelection();
    }
    viewport()->update();
    event->accept();
}

void CFileDropListCtrl::dropEvent(QDropEvent* event) {
    m_notification.paths.clear();
    m_dragAccepted = false;
    const QModelIndex index = indexAt(event->position().toPoint());
    m_notification.dropIndex = index.isValid() ? index.row() : -1;
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !data->hasUrls()) {
        event->ignore();
        return;
    }
    bool anyAccepted = false;
    const bool callbackMode = (m_mode.flags & DropMode::kCallback) != 0;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        std::string path = url.toLocalFile().toStdString();
        const std::string target = ResolveLink(path);
        if (!target.empty()) {
            path = target;
        }
        if (!IsAcceptedPath(path)) {
            continue;
        }
        anyAccepted = true;
        if (callbackMode) {
            m_notification.paths.push_back(path);
        } else {
            InsertPath(path);
        }
    }
    if (callbackMode && m_mode.callback) {
        m_notification.list = this;
        m_mode.callback(m_notification);
    }
    if (!anyAccepted) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CFileDropListCtrl::InsertPath(const std::string& path) {
    QAbstractItemModel* items = model();
    if (items == nullptr) {
        return;
    }
    const QString text = QString::fromStdString(path);
    if ((m_mode.flags & DropMode::kAllowDuplicates) == 0 && items->rowCount() > 0) {
        const QModelIndexList found = items->match(items->index(0, 0), Qt::DisplayRole, text, 1,
                                                   Qt::MatchFixedString | Qt::MatchWrap);
        if (!found.isEmpty()) {
            return;
        }
    }
    if (items->insertRow(0)) {
        items->setData(items->index(0, 0), text);
    }
}
