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
#define TXT_CHECK_COL_DETAIL "詳細"
#define TXT_SEVERITY_ERROR "ｴﾗｰ"
#define TXT_SEVERITY_WARNING "警告"
#define TXT_CHECK_DISK "%lu: %s"
#define TXT_CHECK_NONE "%lu 個のﾃﾞｨｽｸを検査しました.問題は見つかりませんでした."
#define TXT_CHECK_FOUND "%lu 個のﾃﾞｨｽｸを検査しました.ｴﾗｰ %lu 件,警告 %lu 件が見つかりました."
// The listing of either window could not be put on the clipboard.
#define TXT_CLIPBOARD_FAILED "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰできませんでした."
#define TXT_PROGRESS_CHECKING "ﾃﾞｨｽｸｲﾒｰｼﾞを検査中... %lu / %lu 個"

// Other disk-image formats: adding, opening and exporting -------------------

// The filters of the other formats, in the open dialog after the D88 filter
// and in the export's save dialog, in this order: HFE, IMD, FDI, raw.
#define TXT_FILTER_FORMATS                                                         \
    "HFEｲﾒｰｼﾞ(*.HFE)\0*.HFE\0IMDｲﾒｰｼﾞ(*.IMD)\0*.IMD\0FDIｲﾒｰｼﾞ(*.FDI)\0*.FDI\0" \
    "ﾍﾞﾀｲﾒｰｼﾞ(*.HDM;*.2HD;*.XDF;*.2D;*.2DD;*.IMG;*.IMA;*.HDB)\0"                 \
    "*.HDM;*.2HD;*.XDF;*.2D;*.2DD;*.IMG;*.IMA;*.HDB\0"
#define TXT_FORMAT_CAPTION "ﾃﾞｨｽｸｲﾒｰｼﾞの変換"
// The questions of the format dialog; the file's name (or the target's
// path) fills the %s.
#define TXT_LOSSY_ADD "%s\nをD88に変換すると次のものが失われます.追加しますか?"
#define TXT_LOSSY_OPEN "%s\nをD88に変換すると次のものが失われます.開きますか?"
#define TXT_LOSSY_EXPORT "%s\nに書き出すと次のものが失われます.書き出しますか?"
#define TXT_GEOMETRY_QUESTION \
    "%s\nはｻｲｽﾞだけではﾃﾞｨｽｸの形が決まりません.読み込む形を選んでください:"
#define TXT_YES "はい(&Y)"
#define TXT_NO "いいえ(&N)"
#define TXT_OK "OK"
#define TXT_CANCEL "ｷｬﾝｾﾙ"
// The report: what is lost, then what the file is written with.
#define TXT_REPORT_LOST "失われるもの:"
#define TXT_REPORT_WRITTEN "書き出しの設定:"
#define TXT_REPORT_SECTORS "%s: %luｾｸﾀ,最初はC %u H %u R %u N %u(ﾄﾗｯｸ%lu)"
#define TXT_REPORT_TRACKS "%s: %luﾄﾗｯｸ,最初はﾄﾗｯｸ%lu(C %lu H %lu)"
#define TXT_REPORT_PROTECT "ﾗｲﾄﾌﾟﾛﾃｸﾄ(0x%02X)"
#define TXT_REPORT_MEDIA "ﾒﾃﾞｨｱﾀｲﾌﾟ0x%02X(%s)は0x%02X(%s)として読み戻されます"
#define TXT_LOSS_IDS "ﾄﾗｯｸのC,Hと違うか,Rが1からnでないｾｸﾀID"
#define TXT_LOSS_ORDER "1からnの順でないｾｸﾀの並び"
#define TXT_LOSS_DUPLICATES "1つのﾄﾗｯｸに2度あるIDのｾｸﾀ(後のもの)"
#define TXT_LOSS_MIXED_SIZES "ﾄﾗｯｸやﾃﾞｨｽｸと違うｾｸﾀのｻｲｽﾞ(そのｻｲｽﾞで書かれます)"
#define TXT_LOSS_SIZE_CODE "この形式に入らないｻｲｽﾞｺｰﾄﾞ"
#define TXT_LOSS_DENSITY "ﾄﾗｯｸや形式と違う記録密度"
#define TXT_LOSS_DELETED "削除ﾃﾞｰﾀﾏｰｸ"
#define TXT_LOSS_STATUS "この形式に入らないｺﾝﾄﾛｰﾗのｽﾃｰﾀｽ"
#define TXT_LOSS_DATA_SIZE "128 << Nﾊﾞｲﾄでないﾃﾞｰﾀ"
#define TXT_LOSS_FIELD_BYTES "0x00,0x40以外の密度ﾊﾞｲﾄと0x00,0x10以外の削除ﾊﾞｲﾄ"
#define TXT_LOSS_ADDED "ﾃﾞｨｽｸにないｾｸﾀ(0で書かれます)"
#define TXT_LOSS_UNFORMATTED "ﾌｫｰﾏｯﾄされていないﾄﾗｯｸ(0でﾌｫｰﾏｯﾄして書かれます)"
#define TXT_LOSS_TRACKS "書き出す形式に入らないﾄﾗｯｸ"
#define TXT_LOSS_TRACK_LENGTH "1回転より長いﾄﾗｯｸ(長いまま書かれます)"
#define TXT_LOSS_SOURCE_CUT "ｲﾒｰｼﾞに一部しかないﾄﾗｯｸ"
#define TXT_LOSS_LAYOUT "ﾋﾞｯﾄｾﾙの並び(ｾｸﾀの間のｷﾞｬｯﾌﾟ,同期,ﾀｲﾐﾝｸﾞなど)"
#define TXT_LOSS_NAME "ﾃﾞｨｽｸ名"
#define TXT_LOSS_RESERVED "ﾍｯﾀﾞの予約ﾊﾞｲﾄ"
#define TXT_LOSS_COMMENT "IMDのｺﾒﾝﾄ"
#define TXT_LOSS_RATE "ﾒﾃﾞｨｱﾀｲﾌﾟで表せない転送速度300kbps"
#define TXT_LOSS_HEADER "元のﾌｧｲﾙのﾍｯﾀﾞの項目"
#define TXT_WRITTEN_GEOMETRY "ｼﾞｵﾒﾄﾘ%s"
#define TXT_WRITTEN_AMBIGUOUS "このｻｲｽﾞは複数の形に当てはまるため,読み戻すには形の指定が必要です"
#define TXT_WRITTEN_NO_SIZE "このｻｲｽﾞには決まった形がないため,読み戻すには形の指定が必要です"
#define TXT_WRITTEN_HFE "%lukbps,%lurpm(1回転%luﾊﾞｲﾄ),%luｼﾘﾝﾀﾞ,%lu面"
#define TXT_WRITTEN_HFE_CELLS \
    "ｾｸﾀごとの記録密度(ﾍｯﾀﾞは%s),IBM System 34(MFM)と3740(FM)のｷﾞｬｯﾌﾟ"
#define TXT_WRITTEN_HFE_DRIVE "一般的なｼｭｶﾞｰﾄﾄﾞﾗｲﾌﾞのｲﾝﾀｰﾌｪｲｽﾓｰﾄﾞ(7)"
#define TXT_WRITTEN_HFE_SINGLE "40ﾄﾗｯｸのﾄﾞﾗｲﾌﾞ向け(1ｽﾃｯﾌﾟ)"
#define TXT_WRITTEN_HFE_DOUBLE "80ﾄﾗｯｸのﾄﾞﾗｲﾌﾞ向け(2ｽﾃｯﾌﾟ)"
// A geometry to choose: cylinders/heads/sectors/bytes, then in words.
#define TXT_GEOMETRY_CHOICE "%s: %luｼﾘﾝﾀﾞ,%lu面,1ﾄﾗｯｸ%luｾｸﾀ,1ｾｸﾀ%luﾊﾞｲﾄ"
#define TXT_GEOMETRY_FM_TRACK0 "(ﾄﾗｯｸ0はFMの128ﾊﾞｲﾄ26ｾｸﾀ)"
// An image that cannot be read or written: the first line, then the
// reason, then the file's name or path.
#define TXT_CANNOT_READ_IMAGE "ﾃﾞｨｽｸｲﾒｰｼﾞとして読み込めません.\n%s\n"
#define TXT_CANNOT_EXPORT "ﾃﾞｨｽｸｲﾒｰｼﾞを書き出せません.\n%s\n"
#define TXT_RAW_NAME "ﾍﾞﾀ"
#define TXT_WHY_NOT_THIS "%sｲﾒｰｼﾞではありません."
#define TXT_WHY_TRUNCATED "ﾌｧｲﾙが途中で切れています(%luﾊﾞｲﾄ必要ですが%luﾊﾞｲﾄしかありません)."
#define TXT_WHY_BAD_FIELD "%sの形式にない値があります."
#define TXT_WHY_UNDECODABLE "ｼﾘﾝﾀﾞ%luのﾋﾞｯﾄｾﾙがMFMでもFMでもありません."
#define TXT_WHY_UNKNOWN_SIZE "%luﾊﾞｲﾄのﾍﾞﾀｲﾒｰｼﾞは形がわかりません."
#define TXT_WHY_SIZE_MISMATCH "ｻｲｽﾞが形に合いません."
#define TXT_WHY_TOO_LARGE "ﾌﾛｯﾋﾟｰﾃﾞｨｽｸに入るより多くのﾃﾞｰﾀがあります."
#define TXT_WHY_UNSUPPORTED "この版の%sは読めません."
#define TXT_WHY_NO_TRACKS "ﾌｫｰﾏｯﾄされたﾄﾗｯｸがないため,書き出すものがありません."
#define TXT_WHY_READ_FAILED "ﾌｧｲﾙの読み込みに失敗しました."

#endif
