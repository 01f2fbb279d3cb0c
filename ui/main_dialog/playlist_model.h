#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class CPlaylist;
class CPlaylistElement;

// The rows of the content list: a view on the playlist, which holds the data. A reset walks
// the entries once along their links and keeps only where each row's entry is, so painting
// any row is a direct look-up however long the playlist is.
class CPlaylistModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kTrack = 0, kName = 1, kType = 2, kColumnCount = 3 };

    explicit CPlaylistModel(QObject* parent = nullptr);

    // Rebuilds the rows from the playlist (null: no rows). Every change of the playlist must
    // be followed by a reset before the view paints again.
    void Reset(const CPlaylist* playlist);
    void SetHeaders(const QStringList& headers);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<const CPlaylistElement*> m_rows;
    QStringList m_headers;
};
