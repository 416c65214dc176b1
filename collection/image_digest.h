// Digests of disk images: CRC32, MD5 and SHA-1 of an image as a file of its
// own (the "raw" form: the bytes `d88 extract` writes) and of its normalised
// form (the same bytes with the name and reserved bytes zeroed, write
// protection 0x00 and the size field set to the image's extent), computed
// by libgcrypt from one pass over the bytes.
#ifndef ORVANEL_COLLECTION_IMAGE_DIGEST_H
#define ORVANEL_COLLECTION_IMAGE_DIGEST_H

#include <cstddef>
#include <cstdint>
#include <string>

// Algorithms, as bits of a mask.
const unsigned kDigestCrc32 = 1;
const unsigned kDigestMd5 = 2;
const unsigned kDigestSha1 = 4;
const unsigned kDigestAll = 7;

// The digests of one form of an image; `algorithms` says which are set.
// CRC32 is stored as its four bytes in the usual order (0x12345678 as
// 12 34 56 78, as DATs and zlib write it).
struct DigestSet {
    unsigned algorithms;
    uint8_t crc32[4];
    uint8_t md5[16];
    uint8_t sha1[20];
};

// Lower-case hexadecimal of n bytes.
std::string HexOf(const uint8_t* bytes, size_t n);

// The bytes of the header that the normalised form changes (name, reserved
// bytes, write protection, size field: bytes 0 to 31).
const uint32_t kNormalisedBytes = 32;

// Turns the first `len` bytes of an image (len at most 32) into those of its
// normalised form, for an image of `extent` bytes.
void NormaliseHeader(uint8_t* bytes, uint32_t len, uint32_t extent);

// Computes the digests of one image after another. The algorithms of each
// form are chosen once (0 leaves a form out). When both forms are wanted,
// the normalised one is computed on a second thread beside the raw one, so
// that six digests take about the time of three: each large write is queued
// for that thread and hashed there while the caller reads the next bytes.
class ImageHasher {
public:
    ImageHasher(unsigned rawAlgorithms, unsigned normalisedAlgorithms);
    ~ImageHasher();

    // False when the library could not be started or refused its state
    // (memory); no digest is computed then.
    bool ok() const { return ok_; }
    bool wanted() const { return raw_.algorithms || normalised_.algorithms; }
    // Whether the normalised form is hashed on a second thread.
    bool threaded() const { return worker_ != nullptr; }

    // Starts an image of `extent` bytes.
    void Begin(uint32_t extent);
    // The next n bytes of the image, in order from its first byte. A write
    // of kQueuedWrite bytes or more may still be read by the second thread
    // when Write returns: its bytes must stay as they are until Settle or
    // Finish says that it is done.
    void Write(const uint8_t* bytes, uint32_t n);
    // Waits until fewer than `writes` writes are still queued; a caller
    // that cycles through k blocks settles to k - 1 before it refills one.
    void Settle(size_t writes);
    // The digests of the bytes written since Begin; a form not wanted has
    // algorithms 0.
    void Finish(DigestSet* raw, DigestSet* normalised);

    // The writes that go to the second thread; smaller ones are cheaper
    // hashed at once.
    static const uint32_t kQueuedWrite = 64 * 1024;
    // The most writes queued at once.
    static const size_t kQueueLength = 8;

private:
    struct Form {
        unsigned algorithms;
        void* handle;  // gcry_md_hd_t
    };
    struct Worker;

    ImageHasher(const ImageHasher&);
    ImageHasher& operator=(const ImageHasher&);

    static void Put(Form& form, const uint8_t* bytes, uint32_t n);
    static void Read(const Form& form, DigestSet* out);

    bool ok_;
    Form raw_;
    Form normalised_;
    uint32_t extent_;
    uint64_t position_;
    Worker* worker_;
};

#endif
