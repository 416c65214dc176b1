// The commands over container files but list: each one checks its
// arguments, makes one call of the core's container (which walks the files
// where they lie, edits copies of header bytes and writes through the one
// writer), and words the result.
#include "cli/d88_container.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstdlib>
#include <set>

#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "document/container.h"
#include "document/paths.h"
#include "document/reorder.h"
#include "platform/file_api.h"
#include "store/d88.h"

namespace d88cli {

namespace {

bool ParseUnsigned(const std::string& text, uint32_t max, uint32_t* value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (v > max) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

// The file a link names, so that rewriting a container through a link
// rewrites the container and keeps the link.
std::string ThroughLinks(const std::string& path) {
#ifndef _WIN32
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* real = realpath(path.c_str(), nullptr);
        if (real) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
#endif
    return path;
}

// Every image, in the order they stand.
std::vector<size_t> AllOf(const Container& c) {
    std::vector<size_t> order;
    for (size_t i = 0; i < c.images().size(); ++i) order.push_back(i);
    return order;
}

bool Load(Tool& t, const std::string& path, Container* c) {
    bool first = c->reports().empty();
    IoStatus status = c->AppendFile(path);
    if (status.ok()) return true;
    if (status.result == kIoTooLarge && !first)
        t.Fail(path, "together with the files before it, this is 4 GiB or more");
    else
        t.Fail(status);
    return false;
}

// Reads FILE for a command that rewrites it: refused when rewriting would
// lose bytes.
bool LoadForEdit(Tool& t, const std::string& path, Container* c) {
    if (!Load(t, path, c)) return false;
    if (!c->LastFileEndsEarly()) return true;
    t.Fail(path, DescribeEarlyEnd(*c, false) +
                     "; rewriting the file would lose them, so nothing was changed");
    return false;
}

bool ParseIndex(Tool& t, const std::string& path, const Container& c, const std::string& text,
                size_t* index) {
    uint32_t v = 0;
    size_t n = c.images().size();
    if (!ParseUnsigned(text, UINT32_MAX, &v) || v >= n) {
        if (n == 0)
            t.Fail(path, "no image " + text + ": the file holds no images");
        else
            t.Fail(path, "no image " + text + ": the images are numbered 0 to " + Number(n - 1));
        return false;
    }
    *index = v;
    return true;
}

bool ParseIndexes(Tool& t, const std::string& path, const Container& c,
                  const std::vector<std::string>& texts, std::set<size_t>* out) {
    for (size_t i = 0; i < texts.size(); ++i) {
        size_t index = 0;
        if (!ParseIndex(t, path, c, texts[i], &index)) return false;
        out->insert(index);
    }
    return true;
}

// An output file that the command makes anew: refused when it exists and
// --force was not given, and when it is a folder.
bool CheckNewOutput(Tool& t, const std::string& path, bool force) {
    if (t.files.IsFolder(path.c_str())) {
        t.Fail(path, "a folder of that name exists");
        return false;
    }
    if (!force && t.files.Exists(path.c_str())) {
        t.Fail(path, "the file exists; give --force to replace it");
        return false;
    }
    return true;
}

int WriteAll(Tool& t, Container* c, const std::vector<size_t>& order, const std::string& target,
             bool backup, bool replace = true) {
    PlanRefusal refusal;
    IoStatus status = c->Write(order, target, backup, replace, &refusal);
    if (status.result == kIoRefused)
        return t.Fail(target, DescribeRefusal(*c, refusal) + "; nothing was written");
    if (status.result == kIoBackupNotNamed) {
        t.Fail(status);
        t.err << "d88: " << target << " was written all the same\n";
        return kExitFailed;
    }
    // A replace that lost the old file keeps the new one, and says where.
    bool kept = status.result == kIoReplaceFailed && !status.other.empty();
    if (!status.ok()) return t.Fail(status, kept ? "" : "; nothing was changed");
    return kExitOk;
}

// A warning for an image that holds fewer bytes than it claims.
void WarnShort(Tool& t, const std::string& path, const Container& c, size_t i) {
    const ContainerImage& image = c.images()[i];
    if (image.extent > 0 && image.extent < image.fields.diskSize)
        t.Warn(path, DescribeShort(ImageLabel(c, i), image.fields.diskSize, image.extent) +
                         "; its file holds those");
}

}  // namespace

int Extract(Tool& t, const Options& o) {
    if (o.args.empty()) return t.Usage("extract", "'extract' needs a FILE");
    ImageRef ref = ParseImageRef(t.files, o.args[0]);
    const std::string& path = ref.path;
    std::string folder = o.output.given ? o.output.text : std::string(".");
    if (folder.empty()) return t.Usage("extract", "the folder of -o is empty");
    if (!t.files.IsFolder(folder.c_str()))
        return t.Fail(folder, t.files.Exists(folder.c_str()) ? "not a folder" : "no such folder");
    Container c(t.files, t.memory);
    if (!Load(t, path, &c)) return kExitFailed;
    std::set<size_t> chosen;
    std::vector<std::string> texts(o.args.begin() + 1, o.args.end());
    if (ref.hasIndex) texts.push_back(Number(ref.index));
    if (!ParseIndexes(t, path, c, texts, &chosen)) return kExitFailed;
    if (texts.empty()) {
        for (size_t i = 0; i < c.images().size(); ++i) chosen.insert(i);
    }

    // Every name first: nothing is written when one of them is refused.
    std::vector<size_t> order(chosen.begin(), chosen.end());
    std::vector<std::string> names(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        char part[kNameMax + 1];
        ExtractNamePart(c.images()[order[k]].fields, part);
        std::string why;
        if (c.images()[order[k]].extent > 0 && !NameForFileName(part, &names[k], &why))
            return t.Fail(path,
                          ImageLabel(c, order[k]) + ": its name " + why + "; nothing was written");
    }
    std::string title = path.substr(FolderPartLength(path.c_str(), kSystemPaths));
    ExtractPlan plan = c.PlanExtract(order, names, folder, title, o.force, o.backup, o.unique);
    for (size_t k = 0; k < plan.clashes.size(); ++k)
        t.Fail(plan.clashes[k].target, DescribeClash(c, plan.clashes[k], order));
    if (!plan.clashes.empty()) {
        t.err << "d88: nothing was written\n";
        return kExitFailed;
    }
    for (size_t k = 0; k < plan.files.size(); ++k) WarnShort(t, path, c, plan.files[k].image);
    for (size_t k = 0; k < plan.sizeZero.size(); ++k)
        t.Warn(path,
               ImageLabel(c, order[plan.sizeZero[k]]) + " has a disk size of 0; it is not written");

    // Each image to a new file of its own beside its target; the names are
    // given only when all are complete.
    size_t placed = 0;
    IoStatus status = c.WriteEach(plan.files, o.force, &placed);
    for (size_t k = 0; k < placed; ++k) t.out << plan.files[k].target << "\n";
    if (!status.ok()) {
        t.Fail(status,
               placed > 0 || status.result == kIoBackupNotNamed ? "" : "; nothing was written");
        if (status.result == kIoBackupNotNamed)
            t.err << "d88: every file was written all the same\n";
        else if (placed > 0)
            t.err << "d88: the " << placed << " files before it were written\n";
        return kExitFailed;
    }
    // The bytes after a disk of size 0 are in no file written.
    if (!c.LastFileEndsEarly()) return kExitOk;
    t.Warn(path, DescribeEarlyEnd(c, true));
    return kExitFailed;
}

int Join(Tool& t, const Options& o) {
    if (o.args.size() < 2) return t.Usage("join", "'join' needs OUT and at least one FILE");
    std::string target = ThroughLinks(o.args[0]);
    if (!CheckNewOutput(t, target, o.force)) return kExitFailed;
    Container c(t.files, t.memory);
    for (size_t f = 1; f < o.args.size(); ++f) {
        const std::string& path = o.args[f];
        if (!Load(t, path, &c)) return kExitFailed;
        if (c.LastFileEndsEarly())
            return t.Fail(path, DescribeEarlyEnd(c, false) +
                                    "; joining would leave them out, so nothing was written");
    }
    std::vector<char> backupName(target.size() + 8);
    BackupName(target.c_str(), &backupName[0], backupName.size(), kSystemPaths);
    if (c.Reads(target) || (o.backup && c.Reads(&backupName[0])))
        return t.Fail(o.backup && !c.Reads(target) ? std::string(&backupName[0]) : target,
                      "it is one of the FILEs joined, which are never written over; nothing "
                      "was written");
    return WriteAll(t, &c, AllOf(c), target, o.backup, o.force);
}

int Rename(Tool& t, const Options& o) {
    if (o.args.size() != 3) return t.Usage("rename", "'rename' needs FILE, INDEX and NAME");
    std::string path = ThroughLinks(o.args[0]);
    std::string cp932, why;
    if (!NameFromArgument(o.args[2], &cp932, &why))
        return t.Fail(path, "the name \"" + o.args[2] + "\" " + why + "; nothing was changed");
    Container c(t.files, t.memory);
    if (!LoadForEdit(t, path, &c)) return kExitFailed;
    size_t index = 0;
    if (!ParseIndex(t, path, c, o.args[1], &index)) return kExitFailed;
    const ContainerImage& image = c.images()[index];
    if (cp932.size() + 1 > image.extent) {
        return t.Fail(path, ImageLabel(c, index) + " holds only " + Number(image.extent) +
                                " bytes, fewer than the name and its NUL; nothing was changed");
    }
    PutName(c.HeaderOf(index), c.HeaderLengthOf(index), cp932.c_str());
    return WriteAll(t, &c, AllOf(c), path, o.backup);
}

int Protect(Tool& t, const Options& o) {
    if (o.args.size() != 3) return t.Usage("protect", "'protect' needs FILE, INDEX and on or off");
    std::string path = ThroughLinks(o.args[0]);
    const std::string& state = o.args[2];
    if (state != "on" && state != "off")
        return t.Usage("protect", "'" + state + "' is neither on nor off");
    Container c(t.files, t.memory);
    if (!LoadForEdit(t, path, &c)) return kExitFailed;
    size_t index = 0;
    if (!ParseIndex(t, path, c, o.args[1], &index)) return kExitFailed;
    const ContainerImage& image = c.images()[index];
    if (image.extent <= kOffWriteProtect) {
        return t.Fail(path, ImageLabel(c, index) + " holds only " + Number(image.extent) +
                                " bytes and has no write-protect byte of its own; nothing was "
                                "changed");
    }
    PutWriteProtect(c.HeaderOf(index), c.HeaderLengthOf(index), state == "on" ? kProtectBit : 0);
    return WriteAll(t, &c, AllOf(c), path, o.backup);
}

int Move(Tool& t, const Options& o) {
    if (o.args.size() < 2) return t.Usage("move", "'move' needs FILE and at least one FROM");
    if (!o.to.given) return t.Usage("move", "'move' needs --to T");
    std::string path = ThroughLinks(o.args[0]);
    Container c(t.files, t.memory);
    if (!LoadForEdit(t, path, &c)) return kExitFailed;
    size_t n = c.images().size();
    uint32_t insertAt = 0;
    if (!ParseUnsigned(o.to.text, UINT32_MAX, &insertAt) || insertAt > n)
        return t.Fail(path, "no insert position " + o.to.text + ": it is 0 to " + Number(n));
    std::set<size_t> selected;
    std::vector<std::string> texts(o.args.begin() + 1, o.args.end());
    if (!ParseIndexes(t, path, c, texts, &selected)) return kExitFailed;

    // The order of dragging, and the sort key bytes 0 in every header that
    // owns them, as the window leaves them.
    std::vector<bool> isSelected(n, false);
    for (std::set<size_t>::const_iterator it = selected.begin(); it != selected.end(); ++it)
        isSelected[*it] = true;
    c.ClearSortKeys();
    return WriteAll(t, &c, MoveOrder(isSelected, insertAt), path, o.backup);
}

int Delete(Tool& t, const Options& o) {
    if (o.args.size() < 2) return t.Usage("delete", "'delete' needs FILE and at least one INDEX");
    std::string path = ThroughLinks(o.args[0]);
    Container c(t.files, t.memory);
    if (!LoadForEdit(t, path, &c)) return kExitFailed;
    std::set<size_t> gone;
    std::vector<std::string> texts(o.args.begin() + 1, o.args.end());
    if (!ParseIndexes(t, path, c, texts, &gone)) return kExitFailed;
    std::vector<size_t> order;
    for (size_t i = 0; i < c.images().size(); ++i) {
        if (!gone.count(i)) order.push_back(i);
    }
    return WriteAll(t, &c, order, path, o.backup);
}

int New(Tool& t, const Options& o) {
    if (o.args.empty() || o.args.size() > 2)
        return t.Usage("new", "'new' needs OUT and at most a number N");
    std::string target = ThroughLinks(o.args[0]);
    uint32_t n = 1;
    const uint32_t kMost = 0xFFFFFFFFu / kHeaderSize;
    if (o.args.size() == 2 && !ParseUnsigned(o.args[1], kMost, &n))
        return t.Usage("new", "N must be a number from 0 to " + Number(kMost));
    if (!CheckNewOutput(t, target, o.force)) return kExitFailed;
    Container c(t.files, t.memory);
    if (!c.AppendBlankDisks(n).ok())
        return t.Fail(target, "that many blank disks would make a container of 4 GiB or more");
    return WriteAll(t, &c, AllOf(c), target, o.backup, o.force);
}

}  // namespace d88cli
