// Every text the program shows, in one place. Compiled as CP932 bytes.
#ifndef ORVANEL_SHELL_TEXTS_H
#define ORVANEL_SHELL_TEXTS_H

#define TXT_APP_CAPTION "Orvanel"
#define TXT_TITLE_FORMAT "%s - Orvanel"
#define TXT_NEW_TITLE "新規ﾃﾞｨｽｸｲﾒｰｼﾞ"
#define TXT_NEW_WINDOW_TITLE "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel"
#define TXT_CANNOT_OPEN "ﾌｧｲﾙがｵｰﾌﾟﾝできません:\n%s"
#define TXT_CANNOT_SIZE "ﾌｧｲﾙｻｲｽﾞが取得できません:\n%s"
#define TXT_NO_MEMORY "ﾒﾓﾘが確保できません."
#define TXT_READ_FAILED "ﾌｧｲﾙの読み込みに失敗しました:\n%s"
#define TXT_WRITE_FAILED "ﾌｧｲﾙの書き込みに失敗しました:\n%s"
// A walk that stopped at a zero-size image: what follows it is not listed
// and is not written by a save.
#define TXT_WALK_STOPPED \
    "%s\nにはｻｲｽﾞが0のﾃﾞｨｽｸｲﾒｰｼﾞがあります.\nそこから後ろは一覧に表示されず,保存すると失われます."
// A disk that holds fewer bytes than its diskSize says: its place (in its
// file when opened, in the list when saved), its name and the two sizes;
// the file's name or path follows the last line break.
#define TXT_CUT_SHORT_OPEN                                                     \
    "%lu番目のﾃﾞｨｽｸｲﾒｰｼﾞ｢%s｣は%luﾊﾞｲﾄですが,ﾌｧｲﾙにはそのうち%luﾊﾞｲﾄしか" \
    "ありません.\nこのﾃﾞｨｽｸの後ろにほかのﾃﾞｨｽｸを置いて保存することはできません:\n"
#define TXT_CUT_SHORT_SAVE                                                     \
    "%lu番目のﾃﾞｨｽｸｲﾒｰｼﾞ｢%s｣は%luﾊﾞｲﾄのうち%luﾊﾞｲﾄしかないため,保存すると" \
    "後ろのﾃﾞｨｽｸが読めなくなります.\nこのﾃﾞｨｽｸを一覧の最後に移すか削除してから" \
    "保存してください:\n"
// A disk too short to hold the header field an edit writes: its name and size.
#define TXT_TOO_SHORT_TO_EDIT                                                   \
    "ﾃﾞｨｽｸｲﾒｰｼﾞ｢%s｣は%luﾊﾞｲﾄしかないため,名前やﾗｲﾄﾌﾟﾛﾃｸﾄを書き込む場所が" \
    "ありません.\n変更はされません."
// Save over a file that another program wrote after it was opened or saved.
#define TXT_CHANGED_ELSEWHERE \
    "このﾌｧｲﾙは開いた後でほかのﾌﾟﾛｸﾞﾗﾑによって変更されています.上書きしますか?\n%s"
// The new file could not take the name of a target that is gone already:
// it is kept under its own name, which follows the last line break.
#define TXT_KEPT_ASIDE \
    "ﾌｧｲﾙの書き込みに失敗しました:\n%s\n書き込んだ内容は次のﾌｧｲﾙに残してあります:\n"
#define TXT_NOT_D88_OPEN "%s\nはD88(88D)ﾌｧｲﾙではありません.開きますか?"
#define TXT_NOT_D88_ADD "%s\nはD88(88D)ﾌｧｲﾙではありません.追加しますか?"
#define TXT_FILE_CHECK "ﾌｧｲﾙの確認"
#define TXT_SAVE_QUESTION "%s\nは更新されています.保存しますか?"
#define TXT_SAVE_CAPTION "ﾌｧｲﾙ保存の確認"
#define TXT_OVERWRITE_QUESTION "%s\n同じ名前のﾌｧｲﾙがすでに存在します.上書きしますか?"
#define TXT_OVERWRITE_CAPTION "ﾌｧｲﾙ上書きの確認"
#define TXT_DELETE_QUESTION "%s を削除してもよろしいですか?"
#define TXT_DELETE_CAPTION "ﾃﾞｨｽｸの削除"
#define TXT_FILTER "88ﾃﾞｨｽｸｲﾒｰｼﾞ(*.D88;*.88D)\0*.D88;*.88D\0すべてのﾌｧｲﾙ(*.*)\0*.*\0"
#define TXT_BROWSE_TITLE "\n抽出先ﾌｫﾙﾀﾞ:\n"
#define TXT_MEDIA_FORMAT "ﾒﾃﾞｨｱﾀｲﾌﾟ:\t%s"
#define TXT_SIZE_FORMAT "ｻｲｽﾞ:\t\t%dﾊﾞｲﾄ"
#define TXT_COL_DISK "ﾃﾞｨｽｸ"
#define TXT_COL_PROTECT "ﾌﾟﾛﾃｸﾄ"
#define TXT_COL_MEDIA "ﾒﾃﾞｨｱ"
#define TXT_COL_SIZE "ｻｲｽﾞ"
#define TXT_COUNT_FORMAT "%d 個のｲﾒｰｼﾞ"
#define TXT_SELECTED_FORMAT "%d 個のｲﾒｰｼﾞを選択"
#define TXT_SINGLE_BYTES_FORMAT "1 個のｲﾒｰｼﾞを選択    %s(%dBytes) %s"
#define TXT_SINGLE_KB_FORMAT "1 個のｲﾒｰｼﾞを選択    %s(%dKB) %s"
#define TXT_WRITE_PROTECT "ﾗｲﾄﾌﾟﾛﾃｸﾄ"
// A disk name typed with a character that the header's code page (CP932)
// cannot hold: nothing is stored.
#define TXT_NAME_NOT_CP932 "ﾃﾞｨｽｸ名に使えない文字が含まれています.\n名前は変更されません."
// How far a long command is, in the status bar.
#define TXT_PROGRESS_READING "ﾌｧｲﾙを読み込み中... %lu / %lu KB"
#define TXT_PROGRESS_LISTING "ﾃﾞｨｽｸｲﾒｰｼﾞを一覧に追加中... %lu / %lu 個"
#define TXT_PROGRESS_SAVING "ﾌｧｲﾙに保存中... %lu / %lu KB"
#define TXT_PROGRESS_EXTRACTING "ﾃﾞｨｽｸｲﾒｰｼﾞを抽出中... %lu / %lu 個"


// The files window and the check window --------------------------------------

// The files window: its caption with the disk's name, its heading (the
// file system and the tracks), the columns and the texts of each file.
#define TXT_FILES_CAPTION "ﾌｧｲﾙ一覧 - %s"
#define TXT_FILES_SYSTEM "ﾌｧｲﾙｼｽﾃﾑ: %s    ﾄﾗｯｸ: %s"
#define TXT_FILES_NO_SYSTEM "認識できるﾌｧｲﾙｼｽﾃﾑがありません"
#define TXT_FILES_GEOMETRY "%lu ｼﾘﾝﾀﾞ x %lu 面 x %lu ｾｸﾀ x %lu ﾊﾞｲﾄ"
#define TXT_FILES_GEOMETRY_FM ", ﾄﾗｯｸ0はFM %lu x %lu ﾊﾞｲﾄ"
#define TXT_FILES_NO_TRACKS "なし"
// A file system read although its tables hold values of no meaning, with
// the reader's reason; a disk none recognised, with each reader's.
#define TXT_FILES_LIKELY "ﾃｰﾌﾞﾙに異常な値がありますが,読み込みました: %s"
#define TXT_FILES_REASONS "理由: %s"
#define TXT_FILES_LABEL "ﾎﾞﾘｭｰﾑﾗﾍﾞﾙ: %s"
#define TXT_FILES_COL_NAME "ﾌｧｲﾙ名"
#define TXT_FILES_COL_KIND "種類"
#define TXT_FILES_COL_SIZE "ｻｲｽﾞ"
#define TXT_FILES_COL_ATTRIBUTES "属性"
#define TXT_KIND_ASCII "ｱｽｷｰ"
#define TXT_KIND_BASIC "BASIC(中間ｺｰﾄﾞ)"
#define TXT_KIND_MACHINE "機械語"
#define TXT_KIND_DATA "ﾃﾞｰﾀ"
#define TXT_KIND_FOLDER "ﾌｫﾙﾀﾞ"
#define TXT_KIND_LOAD " 読込&H%04lX"
#define TXT_KIND_END "-&H%04lX"
#define TXT_KIND_EXEC " 実行&H%04lX"
#define TXT_FILE_BYTES "%lu ﾊﾞｲﾄ"
#define TXT_FILE_SECTORS "%lu ｾｸﾀ"
#define TXT_ATTR_PROTECTED "ﾌﾟﾛﾃｸﾄ"
#define TXT_ATTR_HIDDEN "隠し"
#define TXT_ATTR_DELETED "削除済み"
// A file whose chain is broken is not written: its name, then the reason.
#define TXT_FILE_BROKEN "ﾌｧｲﾙ｢%s｣は読み出せないため書き出しません:\n%s"

// The check window: the findings' columns, the severities, the disk (its
// place in the list and its name) and the line that counts them.
#define TXT_CHECK_COL_DISK "ﾃﾞｨｽｸ"
#define TXT_CHECK_COL_SEVERITY "重要度"
#define TXT_CHECK_COL_CODE "ｺｰﾄﾞ"
#define TXT_CHECK_COL_OFFSET "ｵﾌｾｯﾄ"
#define TXT_CHECK_COL_TEXT "内容"
#define TXT_SEVERITY_ERROR "ｴﾗｰ"
#define TXT_SEVERITY_WARNING "警告"
#define TXT_CHECK_DISK "%lu: %s"
#define TXT_CHECK_NONE "%lu 個のﾃﾞｨｽｸを検査しました.問題は見つかりませんでした."
#define TXT_CHECK_FOUND "%lu 個のﾃﾞｨｽｸを検査しました.ｴﾗｰ %lu 件,警告 %lu 件が見つかりました."
// The listing of either window could not be put on the clipboard.
#define TXT_CLIPBOARD_FAILED "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰできませんでした."
#define TXT_PROGRESS_CHECKING "ﾃﾞｨｽｸｲﾒｰｼﾞを検査中... %lu / %lu 個"

// Other disk-image formats: adding, opening and exporting -------------------

#endif
