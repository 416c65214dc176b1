#include "cli/d88_words.h"

#include <cstdio>

#include "platform/file_api.h"

namespace d88cli {

namespace {

// `what`, and the system's words for the code the record carries.
std::string Say(const char* what, const IoStatus& status) {
    if (status.error.kind == kNoSystemCode) return what;
    return std::string(what) + ": " + SystemErrorText(status.error);
}

}  // namespace

std::string Number(uint64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
    return text;
}

std::string DescribeNoImage(uint64_t index, uint64_t count) {
    return "no image " + Number(index) +
           (count ? ": the images are numbered 0 to " + Number(count - 1)
                  : ": the file holds no images");
}

std::string ImageLabel(const Container& c, size_t index) {
    if (index >= c.images().size()) return "image " + Number(index);
    const WalkReport& report = c.reports()[c.images()[index].source];
    std::string label = "image " + Number(index - report.firstImage);
    size_t files = 0;
    for (size_t i = 0; i < c.reports().size(); ++i) files += c.reports()[i].path.empty() ? 0 : 1;
    if (files > 1 && !report.path.empty()) label += " of " + report.path;
    return label;
}

std::string Describe(FileApi& files, const IoStatus& status) {
    const char* path = status.path.c_str();
    switch (status.result) {
        case kIoOk:
            return "done";
        case kIoOpenFailed: {
            // Windows refuses to open a folder as "access denied".
            PathFacts facts;
            if (files.IsFolder(path)) return "cannot open: it is a folder, not a file";
            if (files.Inspect(path, &facts) && !facts.regular)
                return "not opened: it is no file of data (a named pipe, a device or a socket)";
            return Say("cannot open", status);
        }
        case kIoCreateFailed:
            if (files.IsFolder(path)) return "cannot create the file: a folder of that name exists";
            return Say("cannot create the file", status);
        case kIoSizeFailed:
            return Say("cannot take the file's size", status);
        case kIoNoMemory:
            return "not enough memory";
        case kIoReadFailed:
            return Say("reading the file failed", status);
        case kIoWriteFailed:
            return Say("writing the file failed", status);
        case kIoNameTooLong:
            return "the path is too long for the new file written beside it (the folder leaves no "
                   "room for a name of 5 bytes)";
        case kIoEmptyFile:
            return "the file is empty";
        case kIoTooLarge:
            return "4 GiB or more: a container holds less";
        case kIoReplaceFailed:
            // The old file was already gone: what was written is kept.
            if (!status.other.empty())
                return Say("the new file could not take this name", status) +
                       "; the old file is gone, and what was written is kept as " + status.other;
            return Say("the new file could not take this name", status);
        case kIoExists:
            return "the file exists; give --force to replace it";
        case kIoSourceChanged:
            return "the file changed while d88 was reading it (another program wrote to it)";
        case kIoBackupFailed:
            if (status.other == status.path)
                return "its backup copy would take the file's own name, so none can be kept";
            if (files.IsFolder(status.other.c_str()))
                return "its backup copy " + status.other +
                       " could not be made: a folder of that name exists";
            return Say(("its backup copy " + status.other + " could not be made").c_str(), status);
        case kIoBackupNotNamed:
            return Say("the old contents could not take this name", status) +
                   "; they are kept in " + status.other;
        case kIoRefused:
            return "refused";
    }
    return "failed";
}

std::string DescribeEarlyEnd(size_t index, uint32_t offset, uint32_t unlisted, bool warning) {
    return "image " + Number(index) + " at offset " + Number(offset) +
           (warning ? " has a disk size of 0; the list ends there, and the last "
                    : " has a disk size of 0, so the list of images ends there and the last ") +
           Number(unlisted) + " bytes of the file belong to no image";
}

std::string DescribeEarlyEnd(const Container& c, bool warning) {
    const WalkReport& report = c.reports().back();
    return DescribeEarlyEnd(report.imageCount - 1, c.images().back().offset, report.unlisted,
                            warning);
}

std::string DescribeShort(const std::string& label, uint32_t diskSize, uint32_t extent) {
    return label + " claims " + Number(diskSize) + " bytes, but only " + Number(extent) +
           " of them are in the file";
}

std::string DescribeRefusal(const Container& c, const PlanRefusal& refusal) {
    switch (refusal.kind) {
        case PlanRefusal::kNone:
            return std::string();
        case PlanRefusal::kZeroSize:
            return ImageLabel(c, refusal.image) + " has a disk size of 0 and would be left out";
        case PlanRefusal::kTooLarge:
            return "the result would be 4 GiB or larger";
        case PlanRefusal::kWouldNotReadBack:
            break;
    }
    std::string text = "the result would not read back as the same disk images";
    if (refusal.image < c.images().size())
        text += " (" + ImageLabel(c, refusal.image) + " would read differently at offset " +
                Number(refusal.offset) + ")";
    const ContainerImage* cause =
        refusal.causeImage < c.images().size() ? &c.images()[refusal.causeImage] : nullptr;
    if (cause && refusal.cause == PlanRefusal::kShortHeader)
        text += ": " + ImageLabel(c, refusal.causeImage) + " is only " +
                Number(cause->fields.diskSize) +
                " bytes long, so its header fields lie in the bytes after it";
    if (cause && refusal.cause == PlanRefusal::kTakesInNext)
        text += ": " + ImageLabel(c, refusal.causeImage) + " claims " +
                Number(cause->fields.diskSize) + " bytes but only " + Number(cause->extent) +
                " are in the file, so it would take in the images after it";
    return text;
}

std::string DescribeClash(const Container& c, const TargetClash& clash,
                          const std::vector<size_t>& order) {
    switch (clash.kind) {
        case TargetClash::kFolder:
            return "a folder of that name exists";
        case TargetClash::kExists:
            return "the file exists; give --force to replace it";
        case TargetClash::kReadFrom:
            return ImageLabel(c, order[clash.index]) +
                   " would be written over the file the images are read from (by this name or "
                   "its backup copy's), which is never done";
        case TargetClash::kTooLong:
            return "the file name would be longer than 259 bytes";
        case TargetClash::kSameName:
            break;
    }
    return ImageLabel(c, order[clash.sameAs]) + " and " + ImageLabel(c, order[clash.index]) +
           " would both be written to this name (as this folder compares names); give --unique "
           "to number the later one";
}

}  // namespace d88cli
