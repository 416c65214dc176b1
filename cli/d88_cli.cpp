// The commands of the d88 tool. Each one parses its arguments, makes one
// call of the core's container (which walks the files where they lie,
// edits copies of header bytes and writes through the one writer), and
// words the result.
#include "cli/d88_cli.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>

#include "cli/d88_collection.h"
#include "cli/d88_help.h"
#include "cli/d88_sources.h"
#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "document/container.h"
#include "document/paths.h"
#include "document/reorder.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/d88.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace d88cli {

namespace {

struct Options {
    std::vector<std::string> positional;
    bool json = false;
    bool force = false;
    bool backup = false;
    bool help = false;
    bool hasOutput = false;
    std::string output;
    bool hasTo = false;
    std::string to;
};

// Which options a command takes.
struct Accepts {
    bool json, force, backup, output, to;
};

class Run {
public:
    Run(std::ostream& out, std::ostream& err, FileApi& files, MemoryApi& memory)
        : out_(out), err_(err), files_(files), memory_(memory) {}

    int Main(const std::vector<std::string>& args);

private:
    int List(const Options& o);
    int Extract(const Options& o);
    int Join(const Options& o);
    int Rename(const Options& o);
    int Protect(const Options& o);
    int Move(const Options& o);
    int Delete(const Options& o);
    int New(const Options& o);

    bool Parse(const std::string& command, const std::vector<std::string>& args, size_t from,
               const Accepts& accepts, Options* o);
    int Usage(const std::string& command, const std::string& message);
    int Fail(const std::string& path, const std::string& message);
    int Fail(const IoStatus& status, const std::string& tail = std::string());
    void Warn(const std::string& path, const std::string& message);

    // Reads FILE for a command that rewrites it: refused when rewriting
    // would lose bytes.
    bool LoadForEdit(const std::string& path, Container* c);
    bool Load(const std::string& path, Container* c);
    bool ParseIndex(const std::string& path, const Container& c, const std::string& text,
                    size_t* index);
    bool ParseIndexes(const std::string& path, const Container& c,
                      const std::vector<std::string>& texts, std::set<size_t>* out);
    // An output file that the command makes anew: refused when it exists
    // and --force was not given, and when it is a folder.
    bool CheckNewOutput(const std::string& path, bool force);
    int WriteAll(Container* c, const std::vector<size_t>& order, const std::string& target,
                 bool backup, bool replace = true);
    // A warning for an image that holds fewer bytes than it claims (and,
    // when extracting, for one of size 0).
    void WarnShort(const std::string& path, const Container& c, size_t i, bool extracting);

    std::ostream& out_;
    std::ostream& err_;
    FileApi& files_;
    MemoryApi& memory_;
};

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

bool LooksNegativeNumber(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') return false;
    for (size_t i = 1; i < arg.size(); ++i) {
        if (arg[i] < '0' || arg[i] > '9') return false;
    }
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

std::string Pad(const std::string& text, size_t columns, size_t width) {
    return columns >= width ? text : text + std::string(width - columns, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

int Run::Usage(const std::string& command, const std::string& message) {
    err_ << "d88: " << message << "\n";
    if (command.empty()) {
        err_ << "Try 'd88 --help'.\n";
    } else {
        err_ << "Try 'd88 " << command << " --help'.\n";
    }
    return kExitUsage;
}

int Run::Fail(const std::string& path, const std::string& message) {
    err_ << "d88: " << path << ": " << message << "\n";
    return kExitFailed;
}

int Run::Fail(const IoStatus& status, const std::string& tail) {
    return Fail(status.path, Describe(files_, status) + tail);
}

void Run::Warn(const std::string& path, const std::string& message) {
    err_ << "d88: " << path << ": warning: " << message << "\n";
}

bool Run::Parse(const std::string& command, const std::vector<std::string>& args, size_t from,
                const Accepts& accepts, Options* o) {
    bool options = true;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a.size() < 2 || a[0] != '-' || LooksNegativeNumber(a)) {
            o->positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options = false;
        } else if (a == "-h" || a == "--help") {
            o->help = true;
        } else if (a == "--json" && accepts.json) {
            o->json = true;
        } else if (a == "--force" && accepts.force) {
            o->force = true;
        } else if (a == "--backup" && accepts.backup) {
            o->backup = true;
        } else if (accepts.output && (a == "-o" || a == "--output")) {
            if (i + 1 >= args.size()) {
                Usage(command, "option " + a + " needs a folder");
                return false;
            }
            o->hasOutput = true;
            o->output = args[++i];
        } else if (accepts.output && a.compare(0, 9, "--output=") == 0) {
            o->hasOutput = true;
            o->output = a.substr(9);
        } else if (accepts.output && a.compare(0, 2, "-o") == 0) {
            o->hasOutput = true;
            o->output = a.substr(2);
        } else if (accepts.to && a == "--to") {
            if (i + 1 >= args.size()) {
                Usage(command, "option --to needs an insert position");
                return false;
            }
            o->hasTo = true;
            o->to = args[++i];
        } else if (accepts.to && a.compare(0, 5, "--to=") == 0) {
            o->hasTo = true;
            o->to = a.substr(5);
        } else {
            Usage(command, "unknown option " + a + " for '" + command + "'");
            return false;
        }
    }
    return true;
}

bool Run::Load(const std::string& path, Container* c) {
    bool first = c->reports().empty();
    IoStatus status = c->AppendFile(path);
    if (status.ok()) return true;
    if (status.result == kIoTooLarge && !first)
        Fail(path, "together with the files before it, this is 4 GiB or more");
    else
        Fail(status);
    return false;
}

bool Run::LoadForEdit(const std::string& path, Container* c) {
    if (!Load(path, c)) return false;
    if (!c->LastFileEndsEarly()) return true;
    Fail(path, DescribeEarlyEnd(*c, false) +
                   "; rewriting the file would lose them, so nothing was changed");
    return false;
}

bool Run::ParseIndex(const std::string& path, const Container& c, const std::string& text,
                     size_t* index) {
    uint32_t v = 0;
    size_t n = c.images().size();
    if (!ParseUnsigned(text, UINT32_MAX, &v) || v >= n) {
        if (n == 0) {
            Fail(path, "no image " + text + ": the file holds no images");
        } else {
            Fail(path, "no image " + text + ": the images are numbered 0 to " + Number(n - 1));
        }
        return false;
    }
    *index = v;
    return true;
}

bool Run::ParseIndexes(const std::string& path, const Container& c,
                       const std::vector<std::string>& texts, std::set<size_t>* out) {
    for (size_t i = 0; i < texts.size(); ++i) {
        size_t index = 0;
        if (!ParseIndex(path, c, texts[i], &index)) return false;
        out->insert(index);
    }
    return true;
}

bool Run::CheckNewOutput(const std::string& path, bool force) {
    if (files_.IsFolder(path.c_str())) {
        Fail(path, "a folder of that name exists");
        return false;
    }
    if (!force && files_.Exists(path.c_str())) {
        Fail(path, "the file exists; give --force to replace it");
        return false;
    }
    return true;
}

int Run::WriteAll(Container* c, const std::vector<size_t>& order, const std::string& target,
                  bool backup, bool replace) {
    PlanRefusal refusal;
    IoStatus status = c->Write(order, target, backup, replace, &refusal);
    if (status.result == kIoRefused)
        return Fail(target, DescribeRefusal(*c, refusal) + "; nothing was written");
    if (status.result == kIoBackupNotNamed) {
        Fail(status);
        err_ << "d88: " << target << " was written all the same\n";
        return kExitFailed;
    }
    if (!status.ok()) return Fail(status, "; nothing was changed");
    return kExitOk;
}

void Run::WarnShort(const std::string& path, const Container& c, size_t i, bool extracting) {
    const ContainerImage& image = c.images()[i];
    if (extracting && image.fields.diskSize == 0) {
        Warn(path, ImageLabel(c, i) + " has a disk size of 0; its file is empty");
    } else if (image.extent < image.fields.diskSize) {
        Warn(path, ImageLabel(c, i) + " claims " + Number(image.fields.diskSize) +
                       " bytes, but only " + Number(image.extent) + " of them are in the file" +
                       (extracting ? "; its file holds those" : ""));
    }
}

int Run::List(const Options& o) {
    if (o.positional.empty()) return Usage("list", "'list' needs at least one FILE");
    int status = kExitOk;
    bool first = true;
    if (o.json) out_ << "[";
    bool anyJson = false;
    for (size_t f = 0; f < o.positional.size(); ++f) {
        ImageRef ref = ParseImageRef(files_, o.positional[f]);
        const std::string& path = ref.path;
        Container c(files_, memory_);
        size_t only = 0;
        if (!Load(path, &c) || (ref.hasIndex && !ParseIndex(path, c, Number(ref.index), &only))) {
            status = kExitFailed;
            continue;
        }
        if (c.LastFileEndsEarly()) Warn(path, DescribeEarlyEnd(c, true));
        for (size_t i = 0; i < c.images().size(); ++i) WarnShort(path, c, i, false);

        if (o.json) {
            for (size_t i = 0; i < c.images().size(); ++i) {
                if (ref.hasIndex && i != only) continue;
                const ContainerImage& image = c.images()[i];
                const HeaderFields& h = image.fields;
                std::string name(h.name);
                out_ << (anyJson ? ",\n  " : "\n  ");
                anyJson = true;
                out_ << "{\"file\": " << JsonString(path) << ", \"index\": " << i
                     << ", \"offset\": " << image.offset
                     << ", \"name\": " << JsonString(Cp932ToUtf8(name, nullptr))
                     << ", \"name_cp932\": \"" << HexBytes(name) << "\""
                     << ", \"protect\": " << (h.writeProtect ? "true" : "false")
                     << ", \"protect_byte\": " << static_cast<unsigned>(h.writeProtect)
                     << ", \"media\": \"" << MediaText(h.mediaType) << "\""
                     << ", \"media_byte\": " << static_cast<unsigned>(h.mediaType)
                     << ", \"size\": " << h.diskSize << ", \"bytes_in_file\": " << image.extent
                     << "}";
            }
            continue;
        }

        if (o.positional.size() > 1) {
            if (!first) out_ << "\n";
            out_ << path << ":\n";
        }
        first = false;
        std::vector<std::string> names;
        std::vector<size_t> widths;
        size_t nameWidth = 4;
        for (size_t i = 0; i < c.images().size(); ++i) {
            size_t columns = 0;
            names.push_back(NameForTerminal(c.images()[i].fields.name, &columns));
            widths.push_back(columns);
            if (!ref.hasIndex || i == only) nameWidth = std::max(nameWidth, columns);
        }
        out_ << "INDEX      OFFSET  " << Pad("NAME", 4, nameWidth)
             << "  PROTECT  MEDIA        SIZE\n";
        for (size_t i = 0; i < c.images().size(); ++i) {
            if (ref.hasIndex && i != only) continue;
            const ContainerImage& image = c.images()[i];
            out_ << PadLeft(Number(i), 5) << "  " << PadLeft(Number(image.offset), 10) << "  "
                 << Pad(names[i], widths[i], nameWidth) << "  "
                 << Pad(ProtectText(image.fields.writeProtect),
                        std::strlen(ProtectText(image.fields.writeProtect)), 7)
                 << "  "
                 << Pad(MediaText(image.fields.mediaType),
                        std::strlen(MediaText(image.fields.mediaType)), 5)
                 << "  " << PadLeft(Number(image.fields.diskSize), 10) << "\n";
        }
    }
    if (o.json) out_ << (anyJson ? "\n]\n" : "]\n");
    return status;
}

int Run::Extract(const Options& o) {
    if (o.positional.empty()) return Usage("extract", "'extract' needs a FILE");
    ImageRef ref = ParseImageRef(files_, o.positional[0]);
    const std::string& path = ref.path;
    std::string folder = o.hasOutput ? o.output : std::string(".");
    if (folder.empty()) return Usage("extract", "the folder of -o is empty");
    if (!files_.IsFolder(folder.c_str()))
        return Fail(folder, files_.Exists(folder.c_str()) ? "not a folder" : "no such folder");
    Container c(files_, memory_);
    if (!Load(path, &c)) return kExitFailed;
    std::set<size_t> chosen;
    std::vector<std::string> texts(o.positional.begin() + 1, o.positional.end());
    if (ref.hasIndex) texts.push_back(Number(ref.index));
    if (!ParseIndexes(path, c, texts, &chosen)) return kExitFailed;
    if (texts.empty()) {
        for (size_t i = 0; i < c.images().size(); ++i) chosen.insert(i);
    }

    // Every name first: nothing is written when one of them is refused.
    std::vector<size_t> order(chosen.begin(), chosen.end());
    std::vector<std::string> targets;
    std::string title = path.substr(FolderPartLength(path.c_str(), kSystemPaths));
    for (size_t k = 0; k < order.size(); ++k) {
        char part[kNameMax + 1];
        ExtractNamePart(c.images()[order[k]].fields, part);
        std::string name, why;
        if (!NameForFileName(part, &name, &why))
            return Fail(path,
                        ImageLabel(c, order[k]) + ": its name " + why + "; nothing was written");
        std::vector<char> target(folder.size() + title.size() + name.size() + 16);
        if (!BuildExtractTarget(folder.c_str(), title.c_str(), name.c_str(), &target[0],
                                target.size(), kSystemPaths))
            return Fail(&target[0],
                        "the file name would be longer than 259 bytes; nothing was written");
        targets.push_back(&target[0]);
    }
    ExtractPlan plan = c.PlanExtract(order, targets, o.force, o.backup);
    for (size_t k = 0; k < plan.clashes.size(); ++k)
        Fail(targets[plan.clashes[k].index], DescribeClash(c, plan.clashes[k], order));
    if (!plan.clashes.empty()) {
        err_ << "d88: nothing was written\n";
        return kExitFailed;
    }
    for (size_t k = 0; k < plan.leftOut.size(); ++k)
        Warn(targets[plan.leftOut[k]], ImageLabel(c, order[plan.leftOut[k]]) +
                                           " is not written: a later image takes its name");
    for (size_t k = 0; k < plan.files.size(); ++k) WarnShort(path, c, plan.files[k].image, true);

    // Each image to a new file of its own beside its target; the names are
    // given only when all are complete.
    size_t placed = 0;
    IoStatus status = c.WriteEach(plan.files, o.force, &placed);
    for (size_t k = 0; k < placed; ++k) out_ << plan.files[k].target << "\n";
    if (status.ok()) return kExitOk;
    Fail(status, placed > 0 || status.result == kIoBackupNotNamed ? "" : "; nothing was written");
    if (status.result == kIoBackupNotNamed)
        err_ << "d88: every file was written all the same\n";
    else if (placed > 0)
        err_ << "d88: the " << placed << " files before it were written\n";
    return kExitFailed;
}

int Run::Join(const Options& o) {
    if (o.positional.size() < 2) return Usage("join", "'join' needs OUT and at least one FILE");
    std::string target = ThroughLinks(o.positional[0]);
    if (!CheckNewOutput(target, o.force)) return kExitFailed;
    Container c(files_, memory_);
    for (size_t f = 1; f < o.positional.size(); ++f) {
        const std::string& path = o.positional[f];
        if (!Load(path, &c)) return kExitFailed;
        if (c.LastFileEndsEarly())
            return Fail(path, DescribeEarlyEnd(c, false) +
                                  "; joining would leave them out, so nothing "
                                  "was written");
    }
    return WriteAll(&c, AllOf(c), target, o.backup, o.force);
}

int Run::Rename(const Options& o) {
    if (o.positional.size() != 3) return Usage("rename", "'rename' needs FILE, INDEX and NAME");
    std::string path = ThroughLinks(o.positional[0]);
    std::string cp932, why;
    if (!NameFromArgument(o.positional[2], &cp932, &why))
        return Fail(path, "the name \"" + o.positional[2] + "\" " + why + "; nothing was changed");
    Container c(files_, memory_);
    if (!LoadForEdit(path, &c)) return kExitFailed;
    size_t index = 0;
    if (!ParseIndex(path, c, o.positional[1], &index)) return kExitFailed;
    const ContainerImage& image = c.images()[index];
    if (cp932.size() + 1 > image.extent) {
        return Fail(path, ImageLabel(c, index) + " holds only " + Number(image.extent) +
                              " bytes, fewer than the name and its NUL; nothing was changed");
    }
    PutName(c.HeaderOf(index), c.HeaderLengthOf(index), cp932.c_str());
    return WriteAll(&c, AllOf(c), path, o.backup);
}

int Run::Protect(const Options& o) {
    if (o.positional.size() != 3)
        return Usage("protect", "'protect' needs FILE, INDEX and on or off");
    std::string path = ThroughLinks(o.positional[0]);
    const std::string& state = o.positional[2];
    if (state != "on" && state != "off")
        return Usage("protect", "'" + state + "' is neither on nor off");
    Container c(files_, memory_);
    if (!LoadForEdit(path, &c)) return kExitFailed;
    size_t index = 0;
    if (!ParseIndex(path, c, o.positional[1], &index)) return kExitFailed;
    const ContainerImage& image = c.images()[index];
    if (image.extent <= kOffWriteProtect) {
        return Fail(path, ImageLabel(c, index) + " holds only " + Number(image.extent) +
                              " bytes and has no write-protect byte of its own; nothing was "
                              "changed");
    }
    PutWriteProtect(c.HeaderOf(index), c.HeaderLengthOf(index), state == "on" ? kProtectBit : 0);
    return WriteAll(&c, AllOf(c), path, o.backup);
}

int Run::Move(const Options& o) {
    if (o.positional.size() < 2) return Usage("move", "'move' needs FILE and at least one FROM");
    if (!o.hasTo) return Usage("move", "'move' needs --to T");
    std::string path = ThroughLinks(o.positional[0]);
    Container c(files_, memory_);
    if (!LoadForEdit(path, &c)) return kExitFailed;
    size_t n = c.images().size();
    uint32_t insertAt = 0;
    if (!ParseUnsigned(o.to, UINT32_MAX, &insertAt) || insertAt > n)
        return Fail(path, "no insert position " + o.to + ": it is 0 to " + Number(n));
    std::set<size_t> selected;
    std::vector<std::string> texts(o.positional.begin() + 1, o.positional.end());
    if (!ParseIndexes(path, c, texts, &selected)) return kExitFailed;

    // The order of dragging, and the sort key bytes 0 in every header that
    // owns them, as the window leaves them.
    std::vector<bool> isSelected(n, false);
    for (std::set<size_t>::const_iterator it = selected.begin(); it != selected.end(); ++it)
        isSelected[*it] = true;
    c.ClearSortKeys();
    return WriteAll(&c, MoveOrder(isSelected, insertAt), path, o.backup);
}

int Run::Delete(const Options& o) {
    if (o.positional.size() < 2)
        return Usage("delete", "'delete' needs FILE and at least one INDEX");
    std::string path = ThroughLinks(o.positional[0]);
    Container c(files_, memory_);
    if (!LoadForEdit(path, &c)) return kExitFailed;
    std::set<size_t> gone;
    std::vector<std::string> texts(o.positional.begin() + 1, o.positional.end());
    if (!ParseIndexes(path, c, texts, &gone)) return kExitFailed;
    std::vector<size_t> order;
    for (size_t i = 0; i < c.images().size(); ++i) {
        if (!gone.count(i)) order.push_back(i);
    }
    return WriteAll(&c, order, path, o.backup);
}

int Run::New(const Options& o) {
    if (o.positional.empty() || o.positional.size() > 2)
        return Usage("new", "'new' needs OUT and at most a number N");
    std::string target = ThroughLinks(o.positional[0]);
    uint32_t n = 1;
    const uint32_t kMost = 0xFFFFFFFFu / kHeaderSize;
    if (o.positional.size() == 2 && !ParseUnsigned(o.positional[1], kMost, &n))
        return Usage("new", "N must be a number from 0 to " + Number(kMost));
    if (!CheckNewOutput(target, o.force)) return kExitFailed;
    Container c(files_, memory_);
    if (!c.AppendBlankDisks(n).ok())
        return Fail(target, "that many blank disks would make a container of 4 GiB or more");
    return WriteAll(&c, AllOf(c), target, o.backup, o.force);
}

int Run::Main(const std::vector<std::string>& args) {
    if (args.empty()) {
        err_ << GeneralHelp();
        return kExitUsage;
    }
    const std::string& command = args[0];
    if (command == "-h" || command == "--help") {
        out_ << GeneralHelp();
        return kExitOk;
    }
    if (command == "help") {
        if (args.size() == 1) {
            out_ << GeneralHelp();
            return kExitOk;
        }
        const char* text = CommandHelp(args[1]);
        if (!text) return Usage("", "no command '" + args[1] + "'");
        out_ << text;
        return kExitOk;
    }
    const char* help = CommandHelp(command);
    if (!help) return Usage("", "no command '" + command + "'");
    if (IsCollectionCommand(command)) return RunCollection(args, out_, err_, files_, memory_);

    Accepts accepts = {false, false, false, false, false};
    if (command == "list") accepts.json = true;
    if (command == "extract") accepts.force = accepts.backup = accepts.output = true;
    if (command == "join" || command == "new") accepts.force = accepts.backup = true;
    if (command == "rename" || command == "protect" || command == "delete") accepts.backup = true;
    if (command == "move") accepts.backup = accepts.to = true;

    Options o;
    if (!Parse(command, args, 1, accepts, &o)) return kExitUsage;
    if (o.help) {
        out_ << help;
        return kExitOk;
    }
    if (command == "list") return List(o);
    if (command == "extract") return Extract(o);
    if (command == "join") return Join(o);
    if (command == "rename") return Rename(o);
    if (command == "protect") return Protect(o);
    if (command == "move") return Move(o);
    if (command == "delete") return Delete(o);
    return New(o);
}

int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileApi& files, MemoryApi& memory) {
    // Whatever runs out of memory ends the command here; the new files it
    // made are gone by then, so nothing was replaced.
    try {
        Run run(out, err, files, memory);
        return run.Main(args);
    } catch (const std::bad_alloc&) {
        err << "d88: not enough memory; nothing was changed\n";
        return kExitFailed;
    }
}

int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunD88(args, out, err, SystemFiles(), SystemMemory());
}

}  // namespace d88cli
