#include "core/playlist/playlist.h"

#include <cstdlib>
#include <limits>

#include "platform/code_page/code_page.h"

// ---------------------------------------------------------------------------------------
// CPlaylistElement

void CPlaylistElement::SetPath(std::string_view path, PathStyle style) {
    std::string_view drive;
    std::string_view rest = path;
    if (style == PathStyle::Windows && rest.size() >= 2 && rest[1] == ':') {
        drive = rest.substr(0, 2);
        rest.remove_prefix(2);
    }
    std::size_t fileStart = 0;
    for (std::size_t i = rest.size(); i > 0; --i) {
        if (IsSeparator(rest[i - 1], style)) {
            fileStart = i;
            break;
        }
    }
    std::string folder(drive);
    folder += rest.substr(0, fileStart);
    SetFolder(folder, style);
    SetFileName(rest.substr(fileStart));
}

void CPlaylistElement::SetFolder(std::string_view folder, PathStyle style) {
    m_folder = AddSeparator(folder, style);
}

void CPlaylistElement::SetFileName(std::string_view fileName) {
    // A dot byte never occurs inside a UTF-8 multi-byte sequence, so the last 0x2E byte is
    // the last dot character.
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        m_name = fileName;
        m_extension.clear();
        m_hasDot = false;
    } else {
        m_name = fileName.substr(0, dot);
        m_extension = fileName.substr(dot + 1);
        m_hasDot = true;
    }
}

std::string CPlaylistElement::GetFileName() const {
    std::string result = m_name;
    if (m_hasDot) {
        result += '.';
        result += m_extension;
    }
    return result;
}

std::string CPlaylistElement::GetFullPath() const {
    return m_folder + GetFileName();
}

// ---------------------------------------------------------------------------------------
// CPlaylist

CPlaylist::~CPlaylist() {
    Clear();
}

bool CPlaylist::IsInRange(std::int32_t index) const {
    return m_count > 0 && index >= m_firstIndex && index <= m_lastIndex;
}

bool CPlaylist::CanTake(const CPlaylistElement* entry) const {
    // An entry that is linked already (here or in another list) would tie two chains
    // together; taking it twice would destroy it twice.
    if (entry == nullptr || entry->m_previous != nullptr || entry->m_next != nullptr) {
        return false;
    }
    if (entry == m_head) {
        return false;
    }
    return m_count < std::numeric_limits<std::int32_t>::max();
}

void CPlaylist::SeekTo(std::int32_t index) {
    const std::int32_t fromHead = index - m_firstIndex;
    const std::int32_t fromTail = m_lastIndex - index;
    const std::int32_t fromCursor = std::abs(index - m_cursorIndex);

    // Ties go to the head over the tail and over the cursor, and to the cursor over the
    // tail.
    m_lastSeekStart = SeekStart::Cursor;
    if (fromHead <= fromTail) {
        if (fromHead <= fromCursor) {
            m_cursor = m_head;
            m_cursorIndex = m_firstIndex;
            m_lastSeekStart = SeekStart::Head;
        }
    } else if (fromTail < fromCursor) {
        m_cursor = m_tail;
        m_cursorIndex = m_lastIndex;
        m_lastSeekStart = SeekStart::Tail;
    }
    m_lastSeekSteps = std::abs(index - m_cursorIndex);
    while (m_cursorIndex < index) {
        m_cursor = m_cursor->m_next;
        ++m_cursorIndex;
    }
    while (m_cursorIndex > index) {
        m_cursor = m_cursor->m_previous;
        --m_cursorIndex;
    }
}

CPlaylistElement* CPlaylist::GetHead() {
    if (m_count == 0) {
        return nullptr;
    }
    m_cursor = m_head;
    m_cursorIndex = m_firstIndex;
    return m_cursor;
}

CPlaylistElement* CPlaylist::GetAt(std::int32_t index) {
    if (!IsInRange(index)) {
        return nullptr;
    }
    SeekTo(index);
    return m_cursor;
}

std::int32_t CPlaylist::AddHead(CPlaylistElement* entry) {
    if (!CanTake(entry)) {
        return 0;
    }
    if (m_count == 0) {
        m_head = m_tail = entry;
        m_firstIndex = m_lastIndex = 0;
    } else {
        entry->m_next = m_head;
        m_head->m_previous = entry;
        m_head = entry;
        ++m_lastIndex;
    }
    ++m_count;
    m_cursor = m_head;
    m_cursorIndex = m_firstIndex;
    return m_count;
}

std::int32_t CPlaylist::AddTail(CPlaylistElement* entry) {
    if (m_count == 0) {
        return AddHead(entry);
    }
    if (!CanTake(entry)) {
        return 0;
    }
    entry->m_previous = m_tail;
    m_tail->m_next = entry;
    m_tail = entry;
    ++m_lastIndex;
    ++m_count;
    m_cursor = m_tail;
    m_cursorIndex = m_lastIndex;
    return m_count;
}

std::int32_t CPlaylist::InsertBefore(std::int32_t index, CPlaylistElement* entry) {
    if (!IsInRange(index) || !CanTake(entry)) {
        return 0;
    }
    if (index == m_firstIndex) {
        return AddHead(entry) != 0 ? 1 : 0;
    }
    SeekTo(index);
    CPlaylistElement* const before = m_cursor->m_previous;  // not null: index is not the head
    entry->m_previous = before;
    entry->m_next = m_cursor;
    before->m_next = entry;
    m_cursor->m_previous = entry;
    m_cursor = entry;
    ++m_count;
    ++m_lastIndex;
    return 1;
}

std::int32_t CPlaylist::InsertAfter(std::int32_t index, CPlaylistElement* entry) {
    if (!IsInRange(index) || !CanTake(entry)) {
        return 0;
    }
    if (index == m_lastIndex) {
        return AddTail(entry) != 0 ? 1 : 0;
    }
    SeekTo(index);
    CPlaylistElement* const after = m_cursor->m_next;  // not null: index is not the tail
    entry->m_previous = m_cursor;
    entry->m_next = after;
    after->m_previous = entry;
    m_cursor->m_next = entry;
    m_cursor = entry;
    ++m_cursorIndex;
    ++m_count;
    ++m_lastIndex;
    return 1;
}

void CPlaylist::Clear() {
    CPlaylistElement* entry = m_head;
    while (entry != nullptr) {
        CPlaylistElement* const next = entry->m_next;
        delete entry;
        entry = next;
    }
    m_head = m_tail = m_cursor = nullptr;
    m_count = 0;
    m_firstIndex = m_lastIndex = m_cursorIndex = -1;
}

std::int32_t CPlaylist::RemoveHead() {
    if (m_count == 0) {
        return 0;
    }
    if (m_count == 1) {
        Clear();
        return 1;
    }
    CPlaylistElement* const removed = m_head;
    m_head = removed->m_next;
    m_head->m_previous = nullptr;
    --m_lastIndex;
    --m_count;
    m_cursor = m_head;
    m_cursorIndex = m_firstIndex;
    delete removed;
    return 1;
}

std::int32_t CPlaylist::RemoveTail() {
    if (m_count == 0) {
        return 0;
    }
    if (m_count == 1) {
        Clear();
        return 1;
    }
    CPlaylistElement* const removed = m_tail;
    m_tail = removed->m_previous;
    m_tail->m_next = nullptr;
    --m_lastIndex;
    --m_count;
    m_cursor = m_tail;
    m_cursorIndex = m_lastIndex;
    delete removed;
    return 1;
}

std::int32_t CPlaylist::RemoveAt(std::int32_t index) {
    if (!IsInRange(index)) {
        return 0;
    }
    if (index == m_firstIndex) {
        return RemoveHead();
    }
    if (index == m_lastIndex) {
        return RemoveTail();
    }
    SeekTo(index);
    CPlaylistElement* const removed = m_cursor;
    CPlaylistElement* const before = removed->m_previous;
    CPlaylistElement* const after = removed->m_next;
    before->m_next = after;
    after->m_previous = before;
    m_cursor = after;  // the follower now holds the removed entry's index
    --m_count;
    --m_lastIndex;
    delete removed;
    return 1;
}

std::int32_t CPlaylist::RemoveAll() {
    if (m_count == 0) {
        return 0;
    }
    while (m_count > 0) {
        RemoveHead();
    }
    return 1;
}

std::int32_t CPlaylist::MoveUp(std::int32_t index) {
    if (m_count < 2 || index <= m_firstIndex || index > m_lastIndex) {
        return 0;
    }
    SeekTo(index);
    CPlaylistElement* const moved = m_cursor;
    CPlaylistElement* const prior = moved->m_previous;
    CPlaylistElement* const beforePrior = prior->m_previous;
    CPlaylistElement* const afterMoved = moved->m_next;

    if (beforePrior != nullptr) {
        beforePrior->m_next = moved;
    } else {
        m_head = moved;
    }
    moved->m_previous = beforePrior;
    moved->m_next = prior;
    prior->m_previous = moved;
    prior->m_next = afterMoved;
    if (afterMoved != nullptr) {
        afterMoved->m_previous = prior;
    } else {
        m_tail = prior;
    }
    --m_cursorIndex;
    return 1;
}

std::int32_t CPlaylist::MoveDown(std::int32_t index) {
    if (m_count < 2 || index < m_firstIndex || index >= m_lastIndex) {
        return 0;
    }
    SeekTo(index);
    CPlaylistElement* const moved = m_cursor;
    CPlaylistElement* const follower = moved->m_next;
    CPlaylistElement* const afterFollower = follower->m_next;
    CPlaylistElement* const beforeMoved = moved->m_previous;

    if (afterFollower != nullptr) {
        afterFollower->m_previous = moved;
    } else {
        m_tail = moved;
    }
    moved->m_next = afterFollower;
    moved->m_previous = follower;
    follower->m_next = moved;
    follower->m_previous = beforeMoved;
    if (beforeMoved != nullptr) {
        beforeMoved->m_next = follower;
    } else {
        m_head = follower;
    }
    ++m_cursorIndex;
    return 1;
}

void CPlaylist::SetFolder(std::string_view folder, PathStyle style) {
    m_folder = AddSeparator(folder, style);
}

void CPlaylist::SetTypeFromExtension(std::string_view extension) {
    if (platform::EqualsIgnoringAsciiCase(extension, ".pls")) {
        m_type = 0;
    } else if (platform::EqualsIgnoringAsciiCase(extension, ".m3u")) {
        m_type = 1;
    }
}

std::string CPlaylist::GetFilePath() const {
    std::string path = m_folder + m_name;
    if (m_type == 0) {
        path += ".pls";
    } else if (m_type == 1) {
        path += ".m3u";
    }
    return path;
}
