// Every finding of one image: its own (CheckImage: the header, the track
// table, the sector headers) and those of the file system inside it
// (CheckDiskFiles), in the order of their offsets. d88's scan adds the file
// system's findings to those of an image read from its file; the window
// checks the images it holds in memory.
#ifndef ORVANEL_COLLECTION_IMAGE_FINDINGS_H
#define ORVANEL_COLLECTION_IMAGE_FINDINGS_H

#include <cstdint>
#include <vector>

#include "collection/image_check.h"
#include "filesystems/cluster_chain.h"

class MemoryApi;

// Appends the file system's findings, their positions moved by `offset`
// (where the image's header lies), and puts all of *out in the order of
// their offsets; findings of one offset keep the order they came in.
void AddFsFindings(const std::vector<FsFinding>& found, uint64_t offset, std::vector<Finding>* out);

// The findings of the image whose header is at `offset` of `base`, of which
// `extent` bytes are held (fewer than its diskSize when it was cut short),
// its offsets counted from its header. Reading memory cannot fail, so
// every image is checked whole.
void CheckHeldImage(MemoryApi& memory, const uint8_t* base, uint32_t offset, uint32_t extent,
                    uint32_t diskSize, std::vector<Finding>* out);

#endif
