// d88 convert: the options read into the core's, the source opened, each
// image's report printed, and then, unless it loses something without
// --lossy or this is a dry run, the files written by the core.
#include "cli/d88_convert.h"

#include <cctype>
#include <cstdlib>
#include <set>

#include "cli/d88_sources.h"
#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "document/paths.h"
#include "formats/convert_files.h"
#include "formats/loss_text.h"
#include "platform/file_api.h"

namespace d88cli {

namespace {

std::string Lower(const std::string& text) {
    std::string low;
    for (size_t i = 0; i < text.size(); ++i)
        low += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    return low;
}

bool FormatOfWord(const std::string& word, ImageFormat* format) {
    const ImageFormat all[] = {kFormatD88, kFormatRaw, kFormatFdi, kFormatImd, kFormatHfe};
    for (size_t i = 0; i < 5; ++i) {
        if (Lower(word) == Lower(FormatName(all[i]))) return *format = all[i], true;
    }
    return false;
}

bool Number(const OptionValue& v, uint32_t lo, uint32_t hi, uint32_t* out) {
    if (!v.given) return true;
    char* end = nullptr;
    unsigned long n = std::strtoul(v.text.c_str(), &end, 10);
    if (v.text.empty() || *end || n < lo || n > hi) return false;
    *out = static_cast<uint32_t>(n);
    return true;
}

// The options of the command line as the core takes them; a usage message
// when one is wrong.
std::string ReadOptions(const Options& o, ImageFormat* from, ImageFormat* to, ConvertOptions* c) {
    *c = DefaultConvertOptions();
    if (o.from.given && !FormatOfWord(o.from.text, from))
        return "--from " + o.from.text + ": the formats are d88, raw, fdi, imd and hfe";
    if (o.to.given && !FormatOfWord(o.to.text, to))
        return "--to " + o.to.text + ": the formats are d88, raw, fdi, imd and hfe";
    std::string why;
    if (o.geometry.given && !ParseGeometry(o.geometry.text, &c->geometry, &why))
        return "--geometry " + o.geometry.text + ": " + why;
    c->hasGeometry = o.geometry.given;
    if (!Number(o.kbps, 50, 1000, &c->hfe.kbps)) return "--kbps is a number from 50 to 1000";
    if (!Number(o.rpm, 100, 1000, &c->hfe.rpm)) return "--rpm is a number from 100 to 1000";
    c->hfe.doubleStep = o.doubleStep;
    return std::string();
}

std::string AnImage(ImageFormat f) {
    return std::string(f == kFormatFdi || f == kFormatImd || f == kFormatHfe ? "an " : "a ") +
           FormatName(f) + " image";
}

int Refuse(Tool& t, const std::string& path, const ConvertFailure& f) {
    if (!f.io.ok()) return t.Fail(f.io, "; nothing was written");
    if (f.noImage)
        return t.Fail(path, "no image " + d88cli::Number(f.image) + ": " +
                                (f.images == 1 ? std::string("it holds one image, image 0")
                                               : "the images are numbered 0 to " +
                                                     d88cli::Number(f.images - 1)));
    std::string text = FormatErrorText(f.format);
    if (f.format.format == kFormatUnknown) text += "; say it with --from";
    if (f.looksLike)
        text += "; it looks like " + AnImage(f.looksLike) + " (--from " +
                Lower(FormatName(f.looksLike)) + " reads it as one)";
    return t.Fail(path, text + "; nothing was written");
}

// The targets: OUT itself, or in the folder OUT each image's file named as
// extract names it. Empty, after a message, when one cannot be named.
bool Targets(Tool& t, const std::string& in, const std::string& out, bool folder,
             const ConvertSource& source, ImageFormat to, const std::vector<ConvertReport>& reports,
             std::vector<std::string>* targets) {
    bool copying = source.format == kFormatD88 && to == kFormatD88;
    if (!folder) {
        if (source.images.size() > 1 && !copying) {
            t.Fail(in, "it holds " + d88cli::Number(source.images.size()) +
                           " images: give a folder as OUT for a file of each, or pick one "
                           "with " +
                           in + "@N; nothing was written");
            return false;
        }
        targets->assign(1, out);
        return true;
    }
    std::string title = in.substr(FolderPartLength(in.c_str(), kSystemPaths));
    size_t files = copying ? 1 : source.images.size();
    for (size_t k = 0; k < files; ++k) {
        std::string name, why, target;
        if (source.format == kFormatD88 && !copying) {
            char part[kNameMax + 1];
            ExtractNamePart(source.images[k].fields, part);
            if (!NameForFileName(part, &name, &why)) {
                t.Fail(in, "image " + d88cli::Number(source.images[k].index) + ": its name " + why +
                               "; nothing was written");
                return false;
            }
        }
        if (!ConvertTargetName(out, title, name, ExtensionOf(to, reports[k].geometry), &target)) {
            t.Fail(target, "the file name would be too long; nothing was written");
            return false;
        }
        targets->push_back(target);
    }
    return true;
}

// The targets that may not be written: two images to one name, and names
// that exist (without --force).
bool CheckTargets(Tool& t, const ConvertSource& source, const std::vector<std::string>& targets,
                  bool force) {
    std::set<std::string> seen;
    bool ok = true;
    for (size_t k = 0; k < targets.size(); ++k) {
        if (IsSourceFile(t.files, source, targets[k])) {
            ok = t.Fail(targets[k], "it is IN itself, which convert never writes over") == kExitOk;
            continue;
        }
        std::string key =
            t.files.FoldsCase(targets[k].c_str()) ? t.files.FoldCase(targets[k]) : targets[k];
        if (!seen.insert(key).second)
            ok = t.Fail(targets[k], "two images would be written to this name") == kExitOk;
        else if (t.files.IsFolder(targets[k].c_str()))
            ok = t.Fail(targets[k], "a folder of that name exists") == kExitOk;
        else if (!force && t.files.Exists(targets[k].c_str()))
            ok = t.Fail(targets[k], "the file exists; give --force to replace it") == kExitOk;
    }
    if (!ok) t.err << "d88: nothing was written\n";
    return ok;
}

void PrintReport(Tool& t, const std::string& in, const ConvertSource& source, size_t k,
                 const std::string& target, const ConvertReport& report) {
    std::string from = in;
    if (source.format == kFormatD88) from += "@" + d88cli::Number(source.images[k].index);
    t.out << from << " to " << target << " (" << FormatName(report.format) << "):\n";
    std::vector<std::string> lines = LossLines(report), choices = ChoiceLines(report);
    if (lines.empty()) t.out << "  nothing lost\n";
    for (size_t i = 0; i < lines.size(); ++i) t.out << "  " << lines[i] << "\n";
    for (size_t i = 0; i < choices.size(); ++i) t.out << "  " << choices[i] << "\n";
}

}  // namespace

int Convert(Tool& t, const Options& o) {
    if (o.args.size() != 2) return t.Usage("convert", "'convert' needs IN and OUT");
    ImageFormat from = kFormatUnknown, to = kFormatUnknown;
    ConvertOptions options;
    std::string wrong = ReadOptions(o, &from, &to, &options);
    if (!wrong.empty()) return t.Usage("convert", wrong);
    ImageRef ref = ParseImageRef(t.files, o.args[0]);
    const std::string& out = o.args[1];
    bool folder = t.files.IsFolder(out.c_str());
    if (!to && !folder) to = FormatOfName(out.c_str());
    if (!to)
        return t.Usage("convert", folder ? "OUT is a folder: say the format with --to"
                                         : "OUT's name says no format: say it with --to");

    ConvertSource source;
    ConvertFailure failure;
    if (!OpenConvertSource(t.files, ref.path, from, ref.hasIndex, ref.index, &source, &failure))
        return Refuse(t, ref.path, failure);
    for (size_t k = 0; k < source.sizeZero.size(); ++k)
        t.Warn(ref.path, "image " + d88cli::Number(source.sizeZero[k]) +
                             " has a disk size of 0: it holds no disk, and is not converted");
    if (source.images.empty()) {
        if (ref.hasIndex) return kExitFailed;
        return t.Fail(ref.path, "it holds no disk to convert; nothing was written");
    }
    std::vector<ConvertReport> reports;
    if (!ReportConvertSource(t.files, source, to, options, &reports, &failure))
        return Refuse(t, ref.path, failure);
    std::vector<std::string> targets;
    if (!Targets(t, ref.path, out, folder, source, to, reports, &targets)) return kExitFailed;
    bool lossless = true;
    for (size_t k = 0; k < reports.size(); ++k) {
        PrintReport(t, ref.path, source, k, targets[std::min(k, targets.size() - 1)], reports[k]);
        lossless = lossless && reports[k].lossless();
    }
    if (!lossless && !o.lossy)
        return t.Fail(ref.path,
                      "the conversion loses what is listed above; give --lossy to "
                      "convert all the same; nothing was written");
    if (!CheckTargets(t, source, targets, o.force)) return kExitFailed;
    if (o.dryRun) return kExitOk;

    size_t placed = 0;
    if (WriteConversion(t.files, t.memory, source, to, options, targets, o.force, &placed,
                        &failure))
        return kExitOk;
    if (failure.io.result == kIoExists && failure.io.other == source.path)
        return t.Fail(failure.io.path,
                      "it is IN itself, which convert never writes over; "
                      "nothing was written");
    t.Fail(failure.io, placed ? "" : "; nothing was written");
    if (placed) t.err << "d88: the " << placed << " files before it were written\n";
    return kExitFailed;
}

}  // namespace d88cli
