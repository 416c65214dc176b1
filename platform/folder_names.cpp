#include "platform/folder_names.h"

#include <vector>

#include "document/paths.h"
#include "platform/file_api.h"

FolderNames::FolderNames(FileApi& files, const std::string& pathInFolder)
    : files_(files),
      folder_(pathInFolder.substr(0, FolderPartLength(pathInFolder.c_str(), kSystemPaths))),
      read_(false),
      folds_(false) {
    std::vector<std::string> names;
    read_ = files_.ListFolder(folder_.c_str(), &names, true);
    if (!read_) return;
    folds_ = files_.FoldsCase(pathInFolder.c_str());
    for (size_t i = 0; i < names.size(); ++i)
        names_.insert(folds_ ? files_.FoldCase(names[i]) : names[i]);
}

bool FolderNames::InFolder(const std::string& path) const {
    size_t prefix = FolderPartLength(path.c_str(), kSystemPaths);
    return prefix == folder_.size() && path.compare(0, prefix, folder_) == 0 &&
           prefix < path.size();
}

std::string FolderNames::Key(const std::string& path) const {
    std::string name = path.substr(folder_.size());
    return folds_ ? files_.FoldCase(name) : name;
}

bool FolderNames::Has(const std::string& path) {
    if (!read_ || !InFolder(path)) return files_.Exists(path.c_str());
    return names_.count(Key(path)) != 0;
}

void FolderNames::Add(const std::string& path) {
    if (read_ && InFolder(path)) names_.insert(Key(path));
}
