// The check window's texts.
#include "shell/disk_check_text.h"

#include <cstdio>

#include "shell/texts.h"

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
        text +=
            r.disk + "\t" + r.severity + "\t" + r.code + "\t" + r.offset + "\t" + r.text + "\r\n";
    }
    return text;
}
