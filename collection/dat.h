// DATs: the lists of known disks that collectors share, with per-disk
// digests. Read from Logiqx XML (through the system's XML reader: XmlLite
// on Windows, expat elsewhere) and from ClrMamePro text; written as Logiqx
// XML; and matched against the digests of images.
#ifndef ORVANEL_COLLECTION_DAT_H
#define ORVANEL_COLLECTION_DAT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "collection/image_digest.h"
#include "document/document_io.h"

class FileApi;

// One file of an entry. Digests are lower-case hexadecimal, empty when the
// DAT gives none (or gives one of the wrong length or with other characters).
struct DatRom {
    std::string name;
    bool hasSize = false;
    uint64_t size = 0;
    std::string crc32, md5, sha1;
};

// One entry (a game, machine or piece of software) and its files. Texts are UTF-8.
struct DatGame {
    std::string name;
    std::string description;
    std::vector<DatRom> roms;
};

struct Dat {
    std::string name;
    std::string description;
    std::vector<DatGame> games;
};

enum DatFormat { kDatLogiqx, kDatClrMamePro };

// How reading a DAT went: io is the file's reading; when it succeeded and
// `why` is not empty, the text is no DAT of either format (`line` is
// where reading stopped, 0 when not known).
struct DatStatus {
    IoStatus io;
    std::string why;
    uint32_t line;
};

// Reads a DAT file whole; XML when its first character after blanks (and a
// UTF-8 byte order mark) is '<', ClrMamePro text otherwise. Files of
// 256 MiB or more are kIoTooLarge.
DatStatus ReadDatFile(FileApi& files, const char* path, Dat* out, DatFormat* format);

// The two readers on a file's bytes; false with `why` and `line`.
bool ParseClrMamePro(const std::string& text, Dat* out, uint32_t* line, std::string* why);
bool ParseLogiqx(const std::string& text, Dat* out, uint32_t* line, std::string* why);

// A field of a rom as either format names it: name, size, crc, md5, sha1
// (others are left out).
void SetRomField(DatRom* rom, const std::string& key, const std::string& value);

// Shift_JIS by any of its names. Both XML readers take it as CP932, the
// form Windows reads (0x5C the backslash, not the yen sign).
bool IsShiftJisName(const std::string& name);
// The Logiqx text as UTF-8 (*utf8) when its XML declaration names
// Shift_JIS: the declaration then says UTF-8, for a reader that knows only
// the Unicode encodings. False when it names none, or another; false with
// *undecodable set when it holds bytes of no character. The conversion is
// the system's (platform/text_codec.h).
bool ShiftJisXmlToUtf8(const std::string& text, std::string* utf8, bool* undecodable);

typedef std::vector<std::pair<std::string, std::string> > XmlAttributes;

// What either XML reader reports, made into a Dat: the header's name and
// description; an entry for each game, machine or software element, with
// its description and every rom element inside it.
class LogiqxBuilder {
public:
    explicit LogiqxBuilder(Dat* out) : out_(out) {}
    void Start(const std::string& element, const XmlAttributes& attributes);
    void End(const std::string& element);
    void Text(const char* text, size_t n);
    // False with a reason when the document was no Logiqx DAT.
    bool Finish(std::string* why) const;

private:
    Dat* out_;
    std::vector<std::string> open_;  // the elements open, outermost first
    bool inGame_ = false;
    size_t gameDepth_ = 0;  // the elements open outside the entry, while in one
    bool datafile_ = false;
    std::string* text_ = nullptr;  // where the current element's text goes
};

// Logiqx XML written piece by piece, so that a collection of any size
// streams to its file: the head with the DAT's name and description, one
// piece per entry, the tail.
std::string LogiqxHead(const std::string& name, const std::string& description);
std::string LogiqxGame(const DatGame& game);
std::string LogiqxTail();

// A DAT's files indexed by digest. A file is matched by the strongest
// digest it has (SHA-1, else MD5, else CRC32, which counts only with a
// size), and never when it gives a size that differs from the image's.
enum MatchBy { kBySha1, kByMd5, kByCrc32 };
struct DatMatch {
    size_t game;
    size_t rom;
    MatchBy by;
    bool normalised;  // the normalised form matched, not the raw one
};

class DatIndex {
public:
    explicit DatIndex(const Dat& dat);
    // The digests an image needs for every file of the DAT (kDigest* bits).
    unsigned Algorithms() const { return algorithms_; }
    // Every file that an image of `size` bytes matches, each by the digest
    // it is keyed by: those by SHA-1 first, then by MD5, then by CRC32,
    // each time the raw form's before the normalised form's (a file that
    // both match is the raw form's).
    std::vector<DatMatch> Find(const DigestSet& raw, const DigestSet& normalised,
                               uint64_t size) const;

private:
    struct Key {
        std::string digest;
        size_t game, rom;
        bool operator<(const Key& other) const { return digest < other.digest; }
    };
    const Dat& dat_;
    std::vector<Key> keys_[3];  // by MatchBy
    unsigned algorithms_ = 0;
};

// The display name of a match's digest: "SHA-1", "MD5", "CRC32".
const char* MatchByText(MatchBy by);

#endif
