#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/path_style/path_style.h"

class CPlaylist;

// One file of the playlist: its folder (always ending in a separator once set), its name
// without extension and its extension without the dot. The links belong to the playlist
// the entry is in; a new entry is linked nowhere.
class CPlaylistElement {
public:
    CPlaylistElement() = default;
    virtual ~CPlaylistElement() = default;

    CPlaylistElement(const CPlaylistElement&) = delete;
    CPlaylistElement& operator=(const CPlaylistElement&) = delete;

    // Splits a full file path into folder (drive and directory) and file name. The Windows
    // style takes a drive ("C:") and both "\" and "/" as separators; POSIX only "/".
    void SetPath(std::string_view path, PathStyle style = kNativePathStyle);
    // Stores the folder with the style's separator appended unless it already ends in one;
    // an empty text becomes the separator alone.
    void SetFolder(std::string_view folder, PathStyle style = kNativePathStyle);
    // Splits at the last dot: "a.b.mp3" is name "a.b", extension "mp3"; without a dot the
    // whole text is the name and the extension is empty.
    void SetFileName(std::string_view fileName);

    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetName() const { return m_name; }
    const std::string& GetExtension() const { return m_extension; }
    // The file name as it was given: name, and the dot and extension only when the name had
    // a dot ("readme" stays "readme", "take." stays "take.").
    std::string GetFileName() const;
    std::string GetFullPath() const;

    // Neighbours in the playlist, null at the ends or outside a playlist. Walking from
    // CPlaylist::GetHead along GetNext visits every entry once without any seeking.
    CPlaylistElement* GetNext() const { return m_next; }
    CPlaylistElement* GetPrevious() const { return m_previous; }

private:
    friend class CPlaylist;

    CPlaylistElement* m_previous = nullptr;
    CPlaylistElement* m_next = nullptr;
    std::string m_folder;
    std::string m_name;
    std::string m_extension;
    // Whether the file name had a dot at all. On this platform "readme" and "readme." are
    // two different files, so an empty extension alone cannot tell them apart.
    bool m_hasDot = false;
};

// The ordered list of entries plus where and how the playlist file is written. A doubly
// linked list with a cached position (the cursor): positional access starts from whichever
// of head, tail and cursor is nearest, so reading in increasing index order costs one link
// step per entry.
//
// Ownership: an entry handed to a successful add or insert belongs to the list and is
// destroyed when it is removed or the list is destroyed. A refused add or insert (result 0)
// leaves the entry with the caller.
//
// Not thread-safe, and even readers move the cursor: one thread at a time.
class CPlaylist {
public:
    CPlaylist() = default;
    virtual ~CPlaylist();

    CPlaylist(const CPlaylist&) = delete;
    CPlaylist& operator=(const CPlaylist&) = delete;

    bool IsEmpty() const { return m_count == 0; }
    std::int32_t GetCount() const { return m_count; }

    // Moves the cursor to the head and returns it; null when empty.
    CPlaylistElement* GetHead();
    // The head without touching the cursor, for read-only walks along GetNext.
    const CPlaylistElement* PeekHead() const { return m_head; }
    // Seeks the cursor to index and returns that entry; null when empty or out of range.
    CPlaylistElement* GetAt(std::int32_t index);
    // Where the cursor stands; -1 when empty.
    std::int32_t GetCursorIndex() const { return m_cursorIndex; }

    // Where the most recent seek started and how many links it followed. Positional access
    // is only cheap if the nearest starting point is taken; this makes that observable.
    enum class SeekStart { None, Head, Tail, Cursor };
    SeekStart GetLastSeekStart() const { return m_lastSeekStart; }
    std::int32_t GetLastSeekSteps() const { return m_lastSeekSteps; }

    // Both return the count after adding (1 for the first entry), or 0 when the entry is
    // refused: null, already linked into a list, or the list is full.
    std::int32_t AddHead(CPlaylistElement* entry);
    std::int32_t AddTail(CPlaylistElement* entry);

    // 1 on success, 0 when the list is empty, index is out of range or the entry is refused.
    std::int32_t InsertBefore(std::int32_t index, CPlaylistElement* entry);
    std::int32_t InsertAfter(std::int32_t index, CPlaylistElement* entry);

    // 1 on success, 0 when empty or index out of range. The removed entry is destroyed.
    std::int32_t RemoveHead();
    std::int32_t RemoveTail();
    std::int32_t RemoveAt(std::int32_t index);
    std::int32_t RemoveAll();

    // Swap the entry at index with its predecessor / successor; the cursor follows the moved
    // entry. 0 when there is no such neighbour.
    std::int32_t MoveUp(std::int32_t index);
    std::int32_t MoveDown(std::int32_t index);

    // The folder the playlist file goes to, ending in the style's separator.
    void SetFolder(std::string_view folder, PathStyle style = kNativePathStyle);
    const std::string& GetFolder() const { return m_folder; }
    // The playlist name without extension, stored as given.
    void SetName(std::string_view name) { m_name = name; }
    const std::string& GetName() const { return m_name; }
    // ".pls" selects type 0, ".m3u" type 1, in any letter case; any other text leaves the
    // type as it is.
    void SetTypeFromExtension(std::string_view extension);
    std::int32_t GetType() const { return m_type; }
    // Folder + name + ".pls" / ".m3u" for type 0 / 1; folder + name for any other type.
    std::string GetFilePath() const;

private:
    bool IsInRange(std::int32_t index) const;
    bool CanTake(const CPlaylistElement* entry) const;
    void SeekTo(std::int32_t index);
    void Clear();

    CPlaylistElement* m_head = nullptr;
    CPlaylistElement* m_tail = nullptr;
    CPlaylistElement* m_cursor = nullptr;
    std::int32_t m_count = 0;
    std::int32_t m_firstIndex = -1;
    std::int32_t m_lastIndex = -1;
    std::int32_t m_cursorIndex = -1;
    std::string m_folder;
    std::string m_name;
    std::int32_t m_type = 0;
    SeekStart m_lastSeekStart = SeekStart::None;
    std::int32_t m_lastSeekSteps = 0;
};
