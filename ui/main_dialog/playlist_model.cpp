#include "ui/main_dialog/playlist_model.h"

#include "core/playlist/playlist.h"
#include "platform/code_page/code_page.h"

CPlaylistModel::CPlaylistModel(QObject* parent) : QAbstractTableModel(parent) {
    m_headers = {"#", "", ""};
}

void CPlaylistModel::Reset(const CPlaylist* playlist) {
    beginResetModel();
    m_rows.clear();
    if (playlist != nullptr) {
        m_rows.reserve(static_cast<size_t>(playlist->GetCount()));
        for (const CPlaylistElement* entry = playlist->PeekHead(); entry != nullptr;
             entry = entry->GetNext()) {
            m_rows.push_back(entry);
        }
    }
    endResetModel();
}

void CPlaylistModel::SetHeaders(const QStringList& headers) {
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

int CPlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPlaylistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CPlaylistModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const CPlaylistElement* entry = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
        case kTrack:
            return QString::number(index.row() + 1);
        case kName:
            return QString::fromStdString(entry->GetName());
        case kType:
            return QString::fromStdString(platform::Utf8ToLower(entry->GetExtension()));
        default:
            return {};
    }
}

QVariant CPlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_headers[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags CPlaylistModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
