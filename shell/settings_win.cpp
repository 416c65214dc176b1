// The settings file beside the executable: read once at creation, written
// once at destruction.
#include <windows.h>

#include <cstring>
#include <string>

#include "document/paths.h"
#include "platform/text_wide_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"

namespace {

const wchar_t kFileSection[] = L"File";
const wchar_t kLastDirKey[] = L"LastDir";
const wchar_t kSettingsSection[] = L"Settings";
const wchar_t kPositionKey[] = L"Position";
const wchar_t kFlagsKey[] = L"Flags";

// A value of the file, as UTF-8. The file is in the system's code page and
// the system converts it.
std::string ReadValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                      const wchar_t* fallback) {
    wchar_t text[1024];
    GetPrivateProfileStringW(section, key, fallback, text, 1024, file.c_str());
    return Utf8FromWide(text);
}

void WriteValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                const std::string& utf8) {
    WritePrivateProfileStringW(section, key, PathW(utf8.c_str()).c_str(), file.c_str());
}

// 44 bytes of placement, the order and widths the file holds.
const size_t kPlacementBytes = 44;

void PlacementToBytes(const WINDOWPLACEMENT& wp, uint8_t* out) {
    const int32_t fields[11] = {static_cast<int32_t>(wp.length),
                                static_cast<int32_t>(wp.flags),
                                static_cast<int32_t>(wp.showCmd),
                                wp.ptMinPosition.x,
                                wp.ptMinPosition.y,
                                wp.ptMaxPosition.x,
                                wp.ptMaxPosition.y,
                                wp.rcNormalPosition.left,
                                wp.rcNormalPosition.top,
                                wp.rcNormalPosition.right,
                                wp.rcNormalPosition.bottom};
    for (int i = 0; i < 11; ++i) {
        uint32_t v = static_cast<uint32_t>(fields[i]);
        for (int b = 0; b < 4; ++b) out[i * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
    }
}

void BytesToPlacement(const uint8_t* in, WINDOWPLACEMENT* wp) {
    int32_t f[11];
    for (int i = 0; i < 11; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(in[i * 4 + b]) << (8 * b);
        f[i] = static_cast<int32_t>(v);
    }
    wp->length = sizeof *wp;
    wp->flags = static_cast<UINT>(f[1]);
    wp->showCmd = static_cast<UINT>(f[2]);
    wp->ptMinPosition.x = f[3];
    wp->ptMinPosition.y = f[4];
    wp->ptMaxPosition.x = f[5];
    wp->ptMaxPosition.y = f[6];
    wp->rcNormalPosition.left = f[7];
    wp->rcNormalPosition.top = f[8];
    wp->rcNormalPosition.right = f[9];
    wp->rcNormalPosition.bottom = f[10];
}

}  // namespace

bool SettingsFilePath(std::string* out) { return ModuleFileWithExtension(nullptr, ".ini", out); }

int ReadSettings(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    std::string path;
    if (!SettingsFilePath(&path)) path.clear();
    std::wstring file = PathW(path.c_str());

    std::string lastDir = DecodeLastDir(ReadValue(file, kFileSection, kLastDirKey, L"."));
    lstrcpynA(params->lastDir, lastDir.c_str(), sizeof params->lastDir);

    std::string text = ReadValue(file, kSettingsSection, kPositionKey, L"");
    uint8_t bytes[kPlacementBytes];
    if (DecodeStruct(text.c_str(), bytes, kPlacementBytes)) {
        WINDOWPLACEMENT wp = {};
        BytesToPlacement(bytes, &wp);
        SetWindowPlacement(mainWindow, &wp);
    }

    text = ReadValue(file, kSettingsSection, kFlagsKey, L"");
    params->flags = ParseFlags(text.c_str(), kDefaultFlags);
    params->settingsRead = 1;
    return 1;
}

int WriteSettings(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    std::string path;
    if (!SettingsFilePath(&path)) return 1;
    std::wstring file = PathW(path.c_str());

    WriteValue(file, kFileSection, kLastDirKey,
               EncodeLastDir(params->lastDir, FitsSystemCodePage(PathW(params->lastDir))));

    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (GetWindowPlacement(mainWindow, &wp)) {
        uint8_t bytes[kPlacementBytes];
        PlacementToBytes(wp, bytes);
        char text[kPlacementBytes * 2 + 3];
        EncodeStruct(bytes, kPlacementBytes, text);
        WriteValue(file, kSettingsSection, kPositionKey, text);
    }

    char flags[16];
    FormatFlags(params->flags, flags);
    WriteValue(file, kSettingsSection, kFlagsKey, flags);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // flush the cache
    return 1;
}
