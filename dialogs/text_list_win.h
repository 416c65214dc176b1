// The lists of the files window and of the check window: report views
// whose rows are texts of the program (CP932), shown through the W
// messages, whose keys select every row (Ctrl+A) and copy the listing as
// text (Ctrl+C).
#ifndef ORVANEL_DIALOGS_TEXT_LIST_WIN_H
#define ORVANEL_DIALOGS_TEXT_LIST_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <string>

struct TextColumn {
    const char* caption;  // CP932
    int format;           // LVCFMT_LEFT or LVCFMT_RIGHT
};

// Whole rows selected, and the columns.
void PrepareTextList(HWND list, const TextColumn* columns, int count);
// Appends a row of `count` texts; answers its index, or -1.
int AppendTextRow(HWND list, const std::string* texts, int count, LPARAM param);
// Each column as wide as its widest text or its caption.
void FitTextColumns(HWND list, int count);
void SelectAllRows(HWND list);
// The window's command a key pressed in its list stands for: `selectAll`
// for Ctrl+A, `copy` for Ctrl+C, 0 for every other key.
int TextListKeyCommand(const NMLVKEYDOWN* key, int selectAll, int copy);
// Puts the text on the clipboard as Unicode text; a clipboard that cannot
// be had is said in a message owned by `owner`.
bool CopyTextToClipboard(HWND owner, const std::string& cp932);

#endif
