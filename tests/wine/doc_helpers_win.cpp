#include "doc_helpers_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

Bytes MakeImage(const char* name, uint32_t size, uint8_t protect, uint8_t media) {
    Bytes b(size < 688 ? 688 : size, 0);
    for (size_t i = 688; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7 + size);
    std::strncpy(reinterpret_cast<char*>(&b[0]), name, 17);
    b[26] = protect;
    b[27] = media;
    for (int i = 0; i < 4; ++i) b[28 + i] = static_cast<uint8_t>(size >> (8 * i));
    b.resize(size < 688 ? 688 : size);
    return b;
}

Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH];
    static unsigned counter = 0;
    std::snprintf(name, sizeof name, "%sorvanel-%lu-%u", base, GetCurrentProcessId(), ++counter);
    CreateDirectoryA(name, nullptr);
    path_ = name;
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string f = path_ + "\\" + found.cFileName;
            SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(f.c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
    std::string p = File(name);
    FILE* f = std::fopen(p.c_str(), "wb");
    if (f) {
        if (!bytes.empty()) std::fwrite(&bytes[0], 1, bytes.size(), f);
        std::fclose(f);
    }
    return p;
}

bool ReadAll(const std::string& path, Bytes* out) {
    out->clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out->insert(out->end(), buffer, buffer + n);
    std::fclose(f);
    return true;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListColumn(HWND list, int sub) {
    std::vector<std::string> texts;
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[260] = "";
        LVITEMA item = {};
        item.iSubItem = sub;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    return texts;
}

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void SelectOnly(HWND list, const std::vector<int>& indexes) {
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int i : indexes) {
        LVITEMA on = {};
        on.stateMask = LVIS_SELECTED;
        on.state = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&on));
    }
}

std::string Format(const char* format, const std::string& text) {
    char out[1024];
    wsprintfA(out, format, text.c_str());
    return out;
}

HWND FocusOf(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : NULL;
}
