#pragma once

#include <string>
#include <vector>

#include "platform/path_style/path_style.h"

// File types are extensions without their dot ("mp3"), kept in the settings as active or
// inactive. Only files of an active type may enter a playlist.
using FileTypeList = std::vector<std::string>;

// Append the default types, in their fixed order, to list.
void GetDefaultActiveFileTypes(FileTypeList& list);
void GetDefaultInactiveFileTypes(FileTypeList& list);

// Writes every default active type with "1", then every default inactive one with "0".
void WriteDefaultFileTypes();

// Empties list and fills it with the stored active types, in store order.
void LoadActiveFileTypes(FileTypeList& list);
// Empties both lists and fills them with the stored active and inactive types.
void LoadFileTypeLists(FileTypeList& active, FileTypeList& inactive);
// Replaces the stored lists by these two.
void SaveFileTypeLists(const FileTypeList& active, const FileTypeList& inactive);

// The text after the last "." behind the last separator, without the dot; empty when there
// is none.
std::string GetFileExtension(const std::string& path, PathStyle style = kNativePathStyle);

// Whether a file of this extension may be added (letter case ignored).
bool IsActiveFileType(const std::string& extension, const FileTypeList& activeList);

// The filter of the "Add files" dialog: pairs of description and pattern, each followed by
// "|", ended by one more "|" ("MP3 Files (*.mp3)|*.mp3|All files (*.*)|*.*||"), and the
// filter to select first, counted from 1.
struct FileDialogFilter {
    std::string text;
    int selectedIndex = 1;
};
FileDialogFilter BuildFileDialogFilter(const FileTypeList& activeList,
                                       const std::string& previousFilter);

// The value to remember in "prop_PreviousFilter" after the dialog closed with the filter
// chosenIndex (counted from 1): the active type there, or "*.*" past the active types.
std::string PreviousFilterFor(const FileTypeList& activeList, int chosenIndex);
