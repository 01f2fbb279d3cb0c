#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// Replaces a file as a whole or not at all: the new content goes into a hidden temporary
// file beside the file it replaces (so on the same file system), which is synced and then
// renamed over it. Until that rename the old file (or its absence) is untouched; a process
// killed at any moment leaves the old file or the complete new one under the name, and at
// most its temporary file, which the next replacement in that folder removes.
//
// A symbolic link is followed to the file it names: that file is replaced, the link stays a
// link. The new file gets the replaced file's permission bits (and owner, where the system
// allows it); a new file gets the permissions any new file gets.
class CFileReplacement {
public:
    CFileReplacement() = default;
    // Abandons a replacement that was not committed.
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // Makes the temporary file for replacing path; false with the system's error number when
    // that cannot be done: the folder is missing or cannot be written, path names a folder,
    // or the file there may not be written.
    bool Begin(const std::string& path);
    // The descriptor of the temporary file, for writing; -1 when none is open.
    int GetDescriptor() const { return m_fd; }
    // Syncs the temporary file, gives it the old file's permissions and renames it over the
    // file. False (with the error number, the temporary file gone and the old file as it
    // was) when any of that fails.
    bool Commit();
    // Closes and removes the temporary file; the old file stays as it was.
    void Abandon();

    // The system error number of the last failure, 0 when none.
    int GetErrorNumber() const { return m_error; }
    // The file that is replaced (links followed) and the temporary file beside it.
    const std::string& GetTargetPath() const { return m_target; }
    const std::string& GetTemporaryPath() const { return m_temporary; }

    // Whether a file name is one this class gives its temporary files.
    static bool IsTemporaryName(std::string_view name);
    // Removes the temporary files in folder that no running replacement holds: left behind
    // by a process that was killed.
    static void RemoveStaleTemporaryFiles(const std::string& folder);

private:
    bool Fail(int error);

    int m_fd = -1;
    int m_error = 0;
    std::string m_target;
    std::string m_temporary;
    bool m_targetExists = false;
    mode_t m_mode = 0;
    uid_t m_owner = 0;
    gid_t m_group = 0;
};
