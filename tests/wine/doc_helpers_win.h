// Helpers of the in-process tests: container bytes, files in a folder of
// the test's own, and what the disk list shows.
#ifndef ORVANEL_TESTS_WINE_DOC_HELPERS_WIN_H
#define ORVANEL_TESTS_WINE_DOC_HELPERS_WIN_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// One image: a header with the name, protect and media bytes and the size,
// followed by `size` - 688 bytes of a pattern (less when size < 688).
Bytes MakeImage(const char* name, uint32_t size, uint8_t protect = 0, uint8_t media = 0);
Bytes Join(const std::vector<Bytes>& parts);

// A fresh folder for one test, removed with its files at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Write(const std::string& name, const Bytes& bytes) const;

private:
    std::string path_;
};

bool ReadAll(const std::string& path, Bytes* out);
bool Exists(const std::string& path);

// Texts of column `sub` of every item.
std::vector<std::string> ListColumn(HWND list, int sub);
std::string WindowText(HWND window);
void SelectOnly(HWND list, const std::vector<int>& indexes);

// A text of the program with its one %s filled in, as the program fills it.
std::string Format(const char* format, const std::string& text);
// The window that has the keyboard focus in a thread, or null.
HWND FocusOf(DWORD thread);

#endif
