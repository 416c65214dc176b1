// Image digests through libgcrypt: one message digest handle per form, with
// the chosen algorithms enabled on it, fed the image's bytes as they are read.
#include "collection/image_digest.h"

#include <gcrypt.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "store/d88.h"

namespace {

const int kAlgorithms[] = {GCRY_MD_CRC32, GCRY_MD_MD5, GCRY_MD_SHA1};
const unsigned kBits[] = {kDigestCrc32, kDigestMd5, kDigestSha1};

// Starts the library once per process: version check, no secure memory
// (nothing secret is hashed), initialisation finished.
bool LibraryReady() {
    static const bool ready = [] {
        if (!gcry_check_version(GCRYPT_VERSION)) return false;
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    return ready;
}

gcry_md_hd_t Handle(void* h) { return static_cast<gcry_md_hd_t>(h); }

}  // namespace

std::string HexOf(const uint8_t* bytes, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out(2 * n, '0');
    for (size_t i = 0; i < n; ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    return out;
}

void NormaliseHeader(uint8_t* bytes, uint32_t len, uint32_t extent) {
    uint8_t normal[kNormalisedBytes];
    std::memcpy(normal, bytes, len < kNormalisedBytes ? len : kNormalisedBytes);
    std::memset(normal, 0, kOffWriteProtect + 1);  // name, reserved, write protect
    WriteLe32(normal + kOffDiskSize, extent);
    std::memcpy(bytes, normal, len < kNormalisedBytes ? len : kNormalisedBytes);
}

// The second thread: hashes the normalised form of the queued writes, in
// order, while the caller hashes the raw form and reads on.
struct ImageHasher::Worker {
    struct Job {
        const uint8_t* bytes;
        uint32_t n;
    };
    std::mutex lock;
    std::condition_variable wake;  // a job queued, or the quit
    std::condition_variable done;  // a job done
    Form* form = nullptr;
    Job jobs[kQueueLength];
    size_t first = 0;   // the job being hashed, or the next one
    size_t queued = 0;  // jobs not yet done, the one being hashed included
    bool quit = false;
    std::thread thread;

    explicit Worker(Form* f) : form(f), thread(&Worker::Loop, this) {}
    ~Worker() {
        {
            std::lock_guard<std::mutex> hold(lock);
            quit = true;
        }
        wake.notify_all();
        thread.join();
    }
    void Loop() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            wake.wait(hold, [this] { return queued > 0 || quit; });
            if (queued == 0) return;
            Job job = jobs[first];
            hold.unlock();
            ImageHasher::Put(*form, job.bytes, job.n);
            hold.lock();
            first = (first + 1) % kQueueLength;
            --queued;
            done.notify_all();
        }
    }
    void Queue(const uint8_t* bytes, uint32_t n) {
        std::unique_lock<std::mutex> hold(lock);
        done.wait(hold, [this] { return queued < kQueueLength; });
        Job job = {bytes, n};
        jobs[(first + queued) % kQueueLength] = job;
        if (queued++ == 0) wake.notify_one();
    }
    void Settle(size_t writes) {
        std::unique_lock<std::mutex> hold(lock);
        done.wait(hold, [this, writes] { return queued < writes; });
    }
    bool Idle() {
        std::lock_guard<std::mutex> hold(lock);
        return queued == 0;
    }
};

ImageHasher::ImageHasher(unsigned rawAlgorithms, unsigned normalisedAlgorithms)
    : ok_(false), extent_(0), position_(0), worker_(nullptr) {
    raw_.algorithms = rawAlgorithms & kDigestAll;
    raw_.handle = nullptr;
    normalised_.algorithms = normalisedAlgorithms & kDigestAll;
    normalised_.handle = nullptr;
    if (!wanted()) {
        ok_ = true;
        return;
    }
    if (!LibraryReady()) return;
    Form* forms[] = {&raw_, &normalised_};
    for (size_t f = 0; f < 2; ++f) {
        if (!forms[f]->algorithms) continue;
        gcry_md_hd_t h = nullptr;
        if (gcry_md_open(&h, 0, 0)) return;
        forms[f]->handle = h;
        for (size_t a = 0; a < 3; ++a) {
            if ((forms[f]->algorithms & kBits[a]) && gcry_md_enable(h, kAlgorithms[a])) return;
        }
    }
    if (raw_.algorithms && normalised_.algorithms) {
        try {
            worker_ = new Worker(&normalised_);
        } catch (...) {
            worker_ = nullptr;  // both forms on this thread then
        }
    }
    ok_ = true;
}

ImageHasher::~ImageHasher() {
    delete worker_;  // after the writes still queued
    if (raw_.handle) gcry_md_close(Handle(raw_.handle));
    if (normalised_.handle) gcry_md_close(Handle(normalised_.handle));
}

void ImageHasher::Put(Form& form, const uint8_t* bytes, uint32_t n) {
    if (form.handle && n) gcry_md_write(Handle(form.handle), bytes, n);
}

void ImageHasher::Read(const Form& form, DigestSet* out) {
    std::memset(out, 0, sizeof *out);
    if (!form.handle) return;
    out->algorithms = form.algorithms;
    uint8_t* where[] = {out->crc32, out->md5, out->sha1};
    const size_t sizes[] = {sizeof out->crc32, sizeof out->md5, sizeof out->sha1};
    for (size_t a = 0; a < 3; ++a) {
        if (!(form.algorithms & kBits[a])) continue;
        const unsigned char* d = gcry_md_read(Handle(form.handle), kAlgorithms[a]);
        if (d) std::memcpy(where[a], d, sizes[a]);
    }
}

void ImageHasher::Begin(uint32_t extent) {
    Settle(1);  // an image left unfinished is still read on the second thread
    extent_ = extent;
    position_ = 0;
    if (raw_.handle) gcry_md_reset(Handle(raw_.handle));
    if (normalised_.handle) gcry_md_reset(Handle(normalised_.handle));
}

void ImageHasher::Write(const uint8_t* bytes, uint32_t n) {
    if (!ok_ || n == 0) return;
    // The normalised form differs only in the header's first bytes.
    if (normalised_.handle && position_ < kNormalisedBytes) {
        uint32_t head = kNormalisedBytes - static_cast<uint32_t>(position_);
        if (head > n) head = n;
        uint8_t patched[kNormalisedBytes];
        std::memset(patched, 0, sizeof patched);
        std::memcpy(patched + position_, bytes, head);
        NormaliseHeader(patched, static_cast<uint32_t>(position_) + head, extent_);
        Put(normalised_, patched + position_, head);
        Put(raw_, bytes, head);
        position_ += head;
        bytes += head;
        n -= head;
    }
    // Small writes are hashed here once the queue is empty, so that the
    // form stays in order.
    if (worker_ && (n >= kQueuedWrite || !worker_->Idle())) {
        worker_->Queue(bytes, n);
        Put(raw_, bytes, n);
    } else {
        Put(raw_, bytes, n);
        Put(normalised_, bytes, n);
    }
    position_ += n;
}

void ImageHasher::Settle(size_t writes) {
    if (worker_) worker_->Settle(writes);
}

void ImageHasher::Finish(DigestSet* raw, DigestSet* normalised) {
    Settle(1);
    if (raw_.handle) gcry_md_final(Handle(raw_.handle));
    if (normalised_.handle) gcry_md_final(Handle(normalised_.handle));
    Read(raw_, raw);
    Read(normalised_, normalised);
}
