#include "tests/support/fault_files.h"

#include "document/paths.h"

FaultFiles::FaultFiles() : inner_(SystemFiles()) {}

FaultFiles::FaultFiles(FileApi& inner) : inner_(inner) {}

bool FaultFiles::Faulted() {
    faulted_ = true;
    return false;
}

SystemError FaultFiles::LastError() {
    if (!faulted_) return inner_.LastError();
    SystemError e = {systemError, systemError ? kErrnoCode : kNoSystemCode};
    return e;
}

void FaultFiles::Look(const char* path, bool madeNew) {
    if (countLookups && (madeNew || !inner_.Exists(path)))
        ++missingLookups[std::string(path, FolderPartLength(path, kSystemPaths))];
}

FileApi::Handle FaultFiles::OpenRead(const char* path) {
    faulted_ = false;
    Look(path);
    if (beforeOpen) beforeOpen(path);
    if (failOpen) {
        Faulted();
        return nullptr;
    }
    Handle h = inner_.OpenRead(path);
    if (h) {
        open_.insert(h);
        paths_[h] = path;
    }
    return h;
}

bool FaultFiles::Stamp(Handle h, FileStamp* stamp) {
    faulted_ = false;
    if (!inner_.Stamp(h, stamp)) return false;
    // A file system whose times are too coarse to show a change.
    std::map<std::string, FileStamp>::iterator first = firstStamps_.find(paths_[h]);
    if (first == firstStamps_.end())
        firstStamps_[paths_[h]] = *stamp;
    else if (frozenStamps)
        *stamp = first->second;
    return true;
}

bool FaultFiles::Size(Handle h, uint64_t* size) {
    faulted_ = false;
    if (failSize) return Faulted();
    if (overrideSize) {
        *size = reportedSize;
        return true;
    }
    return inner_.Size(h, size);
}

// Counts a read and makes the fault due at it: false when there is none
// (n then cut for a short read), true with the read's result otherwise.
bool FaultFiles::ReadFault(uint32_t* n, uint32_t* got, bool* result) {
    ++reads;
    *got = 0;
    faulted_ = false;
    if (reads == failReadAt) {
        *result = Faulted();
        return true;
    }
    if (reads == emptyReadAt || (emptyReadsFrom && emptyReadAt && reads > emptyReadAt)) {
        *result = true;
        return true;
    }
    if (reads == shortReadAt && *n > shortReadBytes) *n = shortReadBytes;
    return false;
}

bool FaultFiles::Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) {
    bool result = false;
    if (ReadFault(&n, got, &result)) return result;
    return inner_.Read(h, dst, n, got);
}

bool FaultFiles::ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) {
    bool result = false;
    if (ReadFault(&n, got, &result)) return result;
    return inner_.ReadAt(h, pos, dst, n, got);
}

bool FaultFiles::CopyRange(Handle from, uint64_t pos, Handle to, uint32_t n, uint32_t* copied) {
    *copied = 0;
    faulted_ = false;
    if (!kernelCopy) return false;
    ++writes;
    if (kernelCopyFailAfter >= 0) {
        uint64_t left = kernelCopied < static_cast<uint64_t>(kernelCopyFailAfter)
                            ? static_cast<uint64_t>(kernelCopyFailAfter) - kernelCopied
                            : 0;
        if (left == 0) return Faulted();
        if (n > left) n = static_cast<uint32_t>(left);
    }
    bool ok = inner_.CopyRange(from, pos, to, n, copied);
    bytesWritten += *copied;
    kernelCopied += *copied;
    return ok;
}

FileApi::Handle FaultFiles::CreateTempBeside(const char* target, std::string* tempPath) {
    faulted_ = false;
    ++creates;
    if (beforeCreate) beforeCreate(target);
    if (failCreate || creates == failCreateAt) {
        Faulted();
        return nullptr;
    }
    Look(target);
    Handle h = inner_.CreateTempBeside(target, tempPath);
    if (h) {
        open_.insert(h);
        tempsCreated.push_back(*tempPath);
        Look(tempPath->c_str(), true);
    }
    return h;
}

bool FaultFiles::Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) {
    ++writes;
    *put = 0;
    faulted_ = false;
    if (writes == zeroWriteAt) return true;
    bool stopHere = false;
    if (failWriteAfter >= 0) {
        uint64_t allowed = static_cast<uint64_t>(failWriteAfter);
        uint64_t left = bytesWritten < allowed ? allowed - bytesWritten : 0;
        if (n > left) {
            // Write what still fits, then fail as a full disk does.
            n = static_cast<uint32_t>(left);
            stopHere = true;
        }
    }
    if (n > 0 && !inner_.Write(h, src, n, put)) return false;
    bytesWritten += *put;
    return stopHere ? Faulted() : true;
}

bool FaultFiles::Flush(Handle h) {
    if (duringFlush) duringFlush();
    faulted_ = false;
    if (failFlush) return Faulted();
    return inner_.Flush(h);
}

bool FaultFiles::FlushNamed(const char* path) {
    if (duringFlush) duringFlush();
    faulted_ = false;
    if (failFlush) return Faulted();
    Look(path);
    return inner_.FlushNamed(path);
}

bool FaultFiles::Close(Handle h) {
    open_.erase(h);
    paths_.erase(h);
    faulted_ = false;
    bool ok = inner_.Close(h);
    return failClose ? Faulted() : ok;
}

bool FaultFiles::Delete(const char* path) {
    Look(path);
    return inner_.Delete(path);
}

bool FaultFiles::Copy(const char* from, const char* to) {
    copies.push_back(std::string(from) + ">" + to);
    faulted_ = false;
    if (failCopy) return Faulted();
    Look(from);
    Look(to);
    return inner_.Copy(from, to);
}

bool FaultFiles::Replace(const char* from, const char* to, bool replace) {
    faulted_ = false;
    if (replaceLosesTarget) inner_.Delete(to);
    if (failReplace || replaceLosesTarget || ++renames == failRenameAt) return Faulted();
    Look(to);
    return inner_.Replace(from, to, replace);
}

bool FaultFiles::Rename(const char* from, const char* to, bool replace) {
    faulted_ = false;
    if (failReplace || ++renames == failRenameAt) return Faulted();
    Look(to);
    return inner_.Rename(from, to, replace);
}

bool FaultFiles::SyncFolder(const char* pathInFolder) { return inner_.SyncFolder(pathInFolder); }

bool FaultFiles::Exists(const char* path) {
    Look(path);
    return inner_.Exists(path);
}

bool FaultFiles::IsFolder(const char* path) {
    Look(path);
    return inner_.IsFolder(path);
}

bool FaultFiles::Inspect(const char* path, PathFacts* facts) {
    faulted_ = false;
    Look(path);
    std::string p = path, end = failInspectOf;
    if (!end.empty() && p.size() >= end.size() &&
        p.compare(p.size() - end.size(), end.size(), end) == 0)
        return Faulted();
    return inner_.Inspect(path, facts);
}

bool FaultFiles::ListFolder(const char* folder, std::vector<std::string>* names, bool shortNames) {
    faulted_ = false;
    names->clear();
    if (failListFolder) return Faulted();
    ++folderReads;
    return inner_.ListFolder(folder, names, shortNames);
}

bool FaultFiles::MakeFolderBeside(const char* target, std::string* folderPath) {
    faulted_ = false;
    folderPath->clear();
    if (failMakeFolder) return Faulted();
    bool made = inner_.MakeFolderBeside(target, folderPath);
    if (made) Look(folderPath->c_str(), true);
    return made;
}

bool FaultFiles::RemoveFolder(const char* path) { return inner_.RemoveFolder(path); }

bool FaultFiles::FoldsCase(const char* pathInFolder) {
    return foldsCase >= 0 ? foldsCase != 0 : inner_.FoldsCase(pathInFolder);
}

std::string FaultFiles::FoldCase(const std::string& name) { return inner_.FoldCase(name); }
