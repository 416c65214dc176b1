#include "document/other_formats.h"

#include <new>
#include <vector>

#include "document/io_status.h"
#include "document/paths.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/d88.h"
#include "store/image_buffer.h"
#include "store/sector_view.h"

namespace {

std::string WithExtension(const std::string& name, const char* extension) {
    std::vector<char> out(name.size() + 16);
    if (!ReplaceExtension(name.c_str(), extension, &out[0], out.size())) return name;
    return &out[0];
}

}  // namespace

ImportPlan PlanImport(const char* path, ImageFormat content) {
    ImportPlan plan = {kFormatD88, true};
    if (HasContainerExtension(path)) return plan;
    ImageFormat named = FormatOfName(path);
    plan.recognised = named != kFormatUnknown && named == content;
    if (content != kFormatUnknown)
        plan.format = content;
    else if (named != kFormatUnknown)
        plan.format = named;
    return plan;
}

ImportPlan PlanImportOf(FileApi& files, const char* path) {
    // A D88 name decides without a look at the bytes.
    if (HasContainerExtension(path)) return PlanImport(path, kFormatUnknown);
    ImageFormat content = kFormatUnknown;
    FileApi::Handle h = files.OpenRead(path);
    uint64_t size = 0;
    if (h && files.Size(h, &size) && size > 0 && size < kFourGiB) {
        FileImage image(files, h, 0, static_cast<uint32_t>(size));
        content = FormatOfContent(image);
        if (image.error().kind != kNoSystemCode) content = kFormatUnknown;
    }
    if (h) files.Close(h);
    return PlanImport(path, content);
}

FormatError ReadImageDisk(MemoryApi& mem, const uint8_t* block, uint32_t offset, uint32_t extent,
                          ImageFormat format, const Geometry* geometry, Disk* disk) {
    ConvertOptions options = DefaultConvertOptions();
    if (geometry) {
        options.hasGeometry = true;
        options.geometry = *geometry;
    }
    try {
        MemoryImage image(mem, block, offset, extent);
        return ReadDisk(image, format, options, disk);
    } catch (const std::bad_alloc&) {
        return FormatFailure(kFormatNoMemory, format);
    }
}

bool AppendD88Image(MemoryApi& mem, const uint8_t* oldBase, uint32_t oldSize, const Disk& disk,
                    uint8_t** block, uint32_t* added) {
    uint32_t n = D88Size(disk);
    *block = GrowBlock(mem, oldBase, oldSize, n);
    *added = *block ? n : 0;
    if (*block) WriteD88(disk, *block + oldSize);
    return *block != nullptr;
}

ImageFormat ExportTarget(const std::string& given, ImageFormat filter, const char* extension,
                         std::string* target) {
    ImageFormat named = FormatOfName(given.c_str());
    *target = given;
    if (named != kFormatUnknown && named != kFormatD88) return named;
    if (ExtensionDot(given.c_str()) < 0)
        *target = given + extension;
    else if (named == kFormatD88)
        *target = WithExtension(given, extension);
    return filter;
}

std::string NameForFilter(const std::string& given, const char* extension) {
    return FormatOfName(given.c_str()) != kFormatUnknown ? WithExtension(given, extension) : given;
}
