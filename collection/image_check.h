// The judgement of one disk image: its header, its track table and the
// sector headers of each track, against the format as real files use it.
// Every finding has a stable code, a severity (an error: another reader
// will misread the data; a warning: unusual but readable), the byte offset
// in the container file it is about, and one plain sentence. Nothing here
// changes what the walk reads: a finding only describes.
#ifndef ORVANEL_COLLECTION_IMAGE_CHECK_H
#define ORVANEL_COLLECTION_IMAGE_CHECK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum Severity { kWarning = 1, kError = 2 };

struct Finding {
    const char* code;
    Severity severity;
    uint64_t offset;   // in the container file
    std::string text;  // one sentence, without the code, in CP932 (a file inside a disk is named as stored)
};

// Every code with its severity and what it means, in the order of the
// checks; for the help and the documentation.
struct FindingCode {
    const char* code;
    Severity severity;
    const char* meaning;
};
const FindingCode* FindingCodes(size_t* count);

// Where an image lies: the offset of its header in the file, its diskSize,
// the bytes of it the file holds (its extent), and the bytes from its
// header to the end of the file.
struct ImagePlace {
    uint64_t offset;
    uint32_t diskSize;
    uint32_t extent;
    uint64_t toFileEnd;
};

// The image's bytes as the checker asks for them, by position in the image
// (below its extent). Positions come mostly in ascending order.
class ImageBytes {
public:
    virtual ~ImageBytes() {}
    // Fills dst with n bytes from `pos`; false when reading failed.
    virtual bool Get(uint32_t pos, uint8_t* dst, uint32_t n) = 0;
};

// Checks one image and appends its findings. False only when reading its
// bytes failed (the findings so far are kept).
bool CheckImage(const ImagePlace& place, ImageBytes& bytes, std::vector<Finding>* out);

#endif
