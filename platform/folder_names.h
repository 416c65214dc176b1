// The names of one folder, read once and compared as the folder's file
// system compares them, for a run that writes many files into it: asking
// the set costs nothing, where asking the system about a name that is not
// there may read the whole folder each time (Wine does, on a file system
// that tells letter case apart). The run keeps the set current with the
// names it writes; what another program does meanwhile shows only when a
// file meets its name.
#ifndef ORVANEL_PLATFORM_FOLDER_NAMES_H
#define ORVANEL_PLATFORM_FOLDER_NAMES_H

#include <set>
#include <string>

class FileApi;

class FolderNames {
public:
    // The folder of `pathInFolder` (its folder part, separator included).
    FolderNames(FileApi& files, const std::string& pathInFolder);

    // Whether something of that name exists. A path in another folder, or
    // any path when the folder could not be read, is asked of the system.
    bool Has(const std::string& path);
    // A name the run has just written.
    void Add(const std::string& path);

private:
    bool InFolder(const std::string& path) const;
    std::string Key(const std::string& path) const;

    FileApi& files_;
    std::string folder_;
    bool read_;
    bool folds_;
    std::set<std::string> names_;
};

#endif
