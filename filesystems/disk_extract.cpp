// Planning and writing the files taken out of a disk.
#include "filesystems/disk_extract.h"

#include <cstring>
#include <set>

#include "document/file_writer.h"
#include "filesystems/safe_name.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "platform/text_codec.h"

namespace {

// The form in which Windows compares names, near enough: ASCII letters
// folded, the bytes of double-byte characters left as they are.
std::string Folded(const std::string& s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(out[i]);
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
            ++i;
        else if (b >= 'A' && b <= 'Z')
            out[i] = static_cast<char>(b + 32);
    }
    return out;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (size_t k = 0; k < parts.size(); ++k) joined += (k ? "/" : "") + parts[k];
    return joined;
}

std::string Utf8(const std::string& cp932) {
    std::string utf8;
    return Cp932ToUtf8(cp932, &utf8) ? utf8 : cp932;  // safe names always convert
}

}  // namespace

void PlanExtract(const FsVolume& v, const std::vector<std::string>& names, bool all,
                 std::vector<ExtractTarget>* out, std::vector<std::string>* unknown) {
    out->clear();
    unknown->clear();
    std::set<std::string> wanted(names.begin(), names.end()), found, taken;
    for (size_t i = 0; i < v.files.size(); ++i) {
        const DiskFile& f = v.files[i];
        if (f.deleted || f.kind == kFileFolder) continue;
        const std::string shown = DisplayName(f);
        if (!all && !wanted.count(shown)) continue;
        found.insert(shown);
        ExtractTarget t = {i, std::vector<std::string>(), false, std::string()};
        size_t from = 0;
        const std::string path = f.folder + f.name;
        while (from <= path.size()) {
            size_t slash = path.find('/', from);
            if (slash == std::string::npos) slash = path.size();
            SafeName s = MakeSafeName(path.substr(from, slash - from), f.charset);
            if (s.changed) t.changed = true, t.why = s.why;
            t.parts.push_back(s.text);
            from = slash + 1;
        }
        std::string& last = t.parts.back();
        const size_t dot = last.rfind('.') == 0 ? std::string::npos : last.rfind('.');
        const std::string base = last.substr(0, dot),
                          ext = dot == std::string::npos ? "" : last.substr(dot);
        for (int n = 2; !taken.insert(Folded(Joined(t.parts))).second; ++n) {
            last = base + " (" + std::to_string(n) + ")" + ext;
            t.changed = true;
            t.why = "another file takes its name";
        }
        out->push_back(t);
    }
    for (size_t k = 0; k < names.size(); ++k)
        if (!found.count(names[k])) unknown->push_back(names[k]);
}

std::string ExtractPath(const std::string& folder, const ExtractTarget& t) {
    std::string path = folder;
    for (size_t k = 0; k < t.parts.size(); ++k) path += "/" + Utf8(t.parts[k]);
    return path;
}

IoStatus WriteExtracted(FileApi& files, MemoryApi& memory, const std::string& folder,
                        const ExtractTarget& t, const std::vector<uint8_t>& bytes, bool replace) {
    std::string path = folder;
    for (size_t k = 0; k + 1 < t.parts.size(); ++k) {
        path += "/" + Utf8(t.parts[k]);
        if (files.IsFolder(path.c_str())) continue;
        std::string made;
        if (files.Exists(path.c_str()) || !files.MakeFolderBeside(path.c_str(), &made))
            return IoFailure(kIoCreateFailed, files, path);
        if (!files.Rename(made.c_str(), path.c_str(), false)) {
            IoStatus failed = IoFailure(kIoCreateFailed, files, path);
            files.RemoveFolder(made.c_str());
            if (!files.IsFolder(path.c_str())) return failed;  // another program made it meanwhile
        }
    }
    WriteJob job;
    job.target = ExtractPath(folder, t);
    job.backup = kNoBackup;
    job.replace = replace;
    const uint32_t n = static_cast<uint32_t>(bytes.size());
    uint8_t* block = n ? memory.Allocate(n) : nullptr;
    if (n && !block) return IoFailure(kIoNoMemory, job.target);
    if (n) {
        std::memcpy(block, &bytes[0], n);
        job.pieces.push_back(MemoryPiece(block, n, 0, n));
    }
    IoStatus status = WriteOneFile(files, memory, std::vector<SourceFile>(), job);
    if (block) memory.Release(block, n);
    return status;
}
