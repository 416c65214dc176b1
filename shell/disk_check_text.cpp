// The check window's texts.
#include "shell/disk_check_text.h"

#include <cstdio>
#include <cstring>

#include "shell/texts.h"

namespace {

// Every code the checks of an image and of its file system give.
const struct {
    const char* code;
    const char* meaning;
} kMeanings[] = {
    {"size-zero", "ﾃﾞｨｽｸｻｲｽﾞが0で,ここから後ろはどのｲﾒｰｼﾞでもありません"},
    {"size-below-header", "ﾃﾞｨｽｸｻｲｽﾞが688ﾊﾞｲﾄ未満で,ﾍｯﾀﾞが後ろのﾃﾞｰﾀにかかっています"},
    {"size-past-file", "ﾃﾞｨｽｸｻｲｽﾞがﾌｧｲﾙの終わりを越えています(ｲﾒｰｼﾞが途中で切れています)"},
    {"size-slack", "ﾃﾞｨｽｸｻｲｽﾞが最後のﾄﾗｯｸより長く,どのﾄﾗｯｸでもないﾊﾞｲﾄがあります"},
    {"reserved-nonzero", "ﾍｯﾀﾞの0x11-0x19ﾊﾞｲﾄ目が0ではありません"},
    {"protect-unusual", "ﾗｲﾄﾌﾟﾛﾃｸﾄのﾊﾞｲﾄが0x00でも0x10でもありません"},
    {"media-unknown", "ﾒﾃﾞｨｱﾀｲﾌﾟのﾊﾞｲﾄが0x00,0x10,0x20,0x30,0x40のどれでもありません"},
    {"media-geometry", "ﾄﾗｯｸの形がﾒﾃﾞｨｱﾀｲﾌﾟとは別の媒体のものです"},
    {"unformatted", "ﾄﾗｯｸが1つもありません(ﾍｯﾀﾞだけです)"},
    {"track-ffffffff", "ﾄﾗｯｸのｵﾌｾｯﾄが0xFFFFFFFFです(これをたどる読み手もあります)"},
    {"track-in-header", "ﾄﾗｯｸのｵﾌｾｯﾄがﾍｯﾀﾞの中を指しています"},
    {"track-at-end", "ﾄﾗｯｸのｵﾌｾｯﾄがﾃﾞｨｽｸｻｲｽﾞと同じです(ﾄﾗｯｸなしの印に使う書き手もあります)"},
    {"track-past-end", "ﾄﾗｯｸのｵﾌｾｯﾄがｲﾒｰｼﾞの終わりより後ろを指しています"},
    {"track-order", "ﾄﾗｯｸが表の順に並んでいません"},
    {"track-shared", "表の2つの項目が同じﾄﾗｯｸを指しています"},
    {"track-overlap", "ﾄﾗｯｸのｾｸﾀが次のﾄﾗｯｸの始まりにかかっています"},
    {"track-runs-past", "ﾄﾗｯｸのｾｸﾀがｲﾒｰｼﾞかﾌｧｲﾙの終わりを越えています"},
    {"track-no-sectors", "ﾄﾗｯｸの最初のｾｸﾀﾍｯﾀﾞのｾｸﾀ数が0です"},
    {"sector-count-swapped", "ｾｸﾀ数の2ﾊﾞｲﾄが入れ替わっています(16が0x1000)"},
    {"sector-count-mismatch", "1つのﾄﾗｯｸのｾｸﾀでｾｸﾀ数が食い違っています"},
    {"sector-size-mismatch", "ｾｸﾀのﾃﾞｰﾀｻｲｽﾞが128 << Nﾊﾞｲﾄではありません"},
    {"sector-duplicate", "1つのﾄﾗｯｸに同じC/H/R/Nのｾｸﾀが2つあります"},
    {"sector-density", "記録密度のﾊﾞｲﾄが0x00でも0x40でもありません"},
    {"sector-deleted", "削除ﾏｰｸのﾊﾞｲﾄが0x00でも0x10でもありません"},
    {"sector-status", "ｽﾃｰﾀｽのﾊﾞｲﾄが0x00,0x10,0xA0,0xB0,0xE0,0xF0のどれでもありません"},
    {"fs-sector-missing", "FATかﾃﾞｨﾚｸﾄﾘのｾｸﾀがないか,2つあるか,途中で切れています"},
    {"fs-fat-copies", "FATの写しが一致しません"},
    {"fs-entry-free", "ﾃﾞｨﾚｸﾄﾘの項目の最初のｸﾗｽﾀが空きになっています"},
    {"fs-chain-past", "ﾁｪｰﾝがｸﾗｽﾀの範囲の外を指しています"},
    {"fs-chain-free", "ﾁｪｰﾝが空きｸﾗｽﾀにつながっています"},
    {"fs-chain-reserved", "ﾁｪｰﾝが予約か不良のｸﾗｽﾀ,または意味のない値につながっています"},
    {"fs-chain-loop", "ﾁｪｰﾝが自分のｸﾗｽﾀに戻っています(ﾙｰﾌﾟ)"},
    {"fs-chain-cross", "2つのﾌｧｲﾙのﾁｪｰﾝが同じｸﾗｽﾀに入っています"},
    {"fs-chain-short", "ﾁｪｰﾝのｸﾗｽﾀがﾌｧｲﾙのｻｲｽﾞに足りません"},
    {"fs-chain-long", "ﾁｪｰﾝのｸﾗｽﾀがﾌｧｲﾙのｻｲｽﾞより多くあります"},
    {"fs-lost-clusters", "使用中のｸﾗｽﾀに,どのﾌｧｲﾙのﾁｪｰﾝも届いていません"},
};

}  // namespace

std::string FindingMeaning(const char* code) {
    for (size_t i = 0; code && i < sizeof kMeanings / sizeof kMeanings[0]; ++i)
        if (std::strcmp(kMeanings[i].code, code) == 0) return kMeanings[i].meaning;
    return std::string();
}

std::string CheckedDiskText(size_t position, const char* name) {
    char text[64];
    std::snprintf(text, sizeof text, TXT_CHECK_DISK, static_cast<unsigned long>(position),
                  name ? name : "");
    return text;
}

FindingRow FindingRowOf(const std::string& disk, const Finding& f) {
    FindingRow row;
    row.disk = disk;
    row.severity = f.severity == kError ? TXT_SEVERITY_ERROR : TXT_SEVERITY_WARNING;
    row.code = f.code;
    row.offset = std::to_string(static_cast<unsigned long long>(f.offset));
    row.meaning = FindingMeaning(f.code);
    row.text = f.text;
    return row;
}

bool HasErrors(const std::vector<Finding>& findings) {
    for (size_t i = 0; i < findings.size(); ++i)
        if (findings[i].severity == kError) return true;
    return false;
}

std::string CheckSummaryText(size_t disks, size_t errors, size_t warnings) {
    char text[256];
    if (errors + warnings == 0)
        std::snprintf(text, sizeof text, TXT_CHECK_NONE, static_cast<unsigned long>(disks));
    else
        std::snprintf(text, sizeof text, TXT_CHECK_FOUND, static_cast<unsigned long>(disks),
                      static_cast<unsigned long>(errors), static_cast<unsigned long>(warnings));
    return text;
}

std::string FindingsText(const std::vector<FindingRow>& rows, const std::string& summary) {
    if (rows.empty()) return summary + "\r\n";
    std::string text;
    for (size_t i = 0; i < rows.size(); ++i) {
        const FindingRow& r = rows[i];
        text += r.disk + "\t" + r.severity + "\t" + r.code + "\t" + r.offset + "\t" + r.meaning +
                "\t" + r.text + "\r\n";
    }
    return text;
}
