// What d88 says of the core's results: one place that words every failure
// record, refusal and image, with the system's own words for its codes.
#ifndef ORVANEL_CLI_D88_WORDS_H
#define ORVANEL_CLI_D88_WORDS_H

#include <cstdint>
#include <string>

#include "document/container.h"
#include "document/io_status.h"

class FileApi;

namespace d88cli {

std::string Number(uint64_t n);

// "image K", or "image K of PATH" (K counted in its own file) when the
// container holds images of several files.
std::string ImageLabel(const Container& c, size_t index);

// The message of a failed operation, for the line "d88: PATH: message"
// where PATH is status.path.
std::string Describe(FileApi& files, const IoStatus& status);

// The image of size 0 that ended the walk of the last file appended, and
// the bytes after it that belong to no image: as a warning, or as the
// reason of a refusal.
std::string DescribeEarlyEnd(const Container& c, bool warning);
// The same for image `index` of a walk, at `offset`, `unlisted` bytes.
std::string DescribeEarlyEnd(size_t index, uint32_t offset, uint32_t unlisted, bool warning);

// An image that holds fewer bytes than its disk size claims.
std::string DescribeShort(const std::string& label, uint32_t diskSize, uint32_t extent);

// Why a write was refused before anything was written.
std::string DescribeRefusal(const Container& c, const PlanRefusal& refusal);

// Why an extract target cannot be written.
std::string DescribeClash(const Container& c, const TargetClash& clash,
                          const std::vector<size_t>& order);

}  // namespace d88cli

#endif
