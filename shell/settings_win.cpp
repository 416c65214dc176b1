// The settings file beside the executable: read once at creation, written
// once at destruction.
#include <windows.h>

#include <cstring>

#include "document/paths.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"

namespace {

const char kFileSection[] = "File";
const char kLastDirKey[] = "LastDir";
const char kSettingsSection[] = "Settings";
const char kPositionKey[] = "Position";
const char kFlagsKey[] = "Flags";

// 44 bytes of placement, the order and widths the file holds.
const size_t kPlacementBytes = 44;

void PlacementToBytes(const WINDOWPLACEMENT& wp, uint8_t* out) {
    const int32_t fields[11] = {
        static_cast<int32_t>(wp.length), static_cast<int32_t>(wp.flags),
        static_cast<int32_t>(wp.showCmd), wp.ptMinPosition.x, wp.ptMinPosition.y,
        wp.ptMaxPosition.x, wp.ptMaxPosition.y, wp.rcNormalPosition.left,
        wp.rcNormalPosition.top, wp.rcNormalPosition.right, wp.rcNormalPosition.bottom};
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

bool SettingsFilePath(char* out, size_t outSize) {
    char module[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    module[n] = '\0';
    return ReplaceExtension(module, ".ini", out, outSize);
}

int ReadSettings(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    char path[MAX_PATH * 2];
    if (!SettingsFilePath(path, sizeof path)) path[0] = '\0';

    GetPrivateProfileStringA(kFileSection, kLastDirKey, ".", params->lastDir, kPathMax, path);

    char text[256];
    GetPrivateProfileStringA(kSettingsSection, kPositionKey, "", text, sizeof text, path);
    uint8_t bytes[kPlacementBytes];
    if (DecodeStruct(text, bytes, kPlacementBytes)) {
        WINDOWPLACEMENT wp = {};
        BytesToPlacement(bytes, &wp);
        SetWindowPlacement(mainWindow, &wp);
    }

    GetPrivateProfileStringA(kSettingsSection, kFlagsKey, "", text, sizeof text, path);
    params->flags = ParseFlags(text, kDefaultFlags);
    params->settingsRead = 1;
    return 1;
}

int WriteSettings(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    char path[MAX_PATH * 2];
    if (!SettingsFilePath(path, sizeof path)) return 1;

    WritePrivateProfileStringA(kFileSection, kLastDirKey, params->lastDir, path);

    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (GetWindowPlacement(mainWindow, &wp)) {
        uint8_t bytes[kPlacementBytes];
        PlacementToBytes(wp, bytes);
        char text[kPlacementBytes * 2 + 3];
        EncodeStruct(bytes, kPlacementBytes, text);
        WritePrivateProfileStringA(kSettingsSection, kPositionKey, text, path);
    }

    char flags[16];
    FormatFlags(params->flags, flags);
    WritePrivateProfileStringA(kSettingsSection, kFlagsKey, flags, path);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);  // flush the cache
    return 1;
}
