#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/file_types/file_types.h"

// The files directly inside folder (no sub-folders, no recursion), each as folder + "/" +
// name, hidden files included. Directories, also those reached through a symbolic link, are
// left out, and so are links whose target is gone. The order is a file manager's: names
// compared by CompareFileNames. list is emptied first; true when it is not empty.
bool ListFolderFiles(const std::string& folder, std::vector<std::string>& list);

// Orders file names as people read them: letter case does not count, and a run of digits
// counts by its value ("track2" before "track10"). Names that compare equal so are ordered
// by their bytes, so the order is total. Negative, 0 or positive like strcmp.
int CompareFileNames(std::string_view a, std::string_view b);

// What a folder adds to a playlist: the files directly inside it (as ListFolderFiles gives
// them, in that order) whose type is one of activeTypes. list is emptied first; true when it
// is not empty. The main window's "Add folder", a folder dropped on its list and a folder
// named to tracklace-make all expand a folder with this.
bool ExpandFolder(const std::string& folder, const FileTypeList& activeTypes,
                  std::vector<std::string>& list);
