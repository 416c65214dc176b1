// What the check window shows of the findings of the disks checked, and the
// text it copies. Texts are CP932, as every text of the program; the
// sentences are the checks' own.
#ifndef ORVANEL_SHELL_DISK_CHECK_TEXT_H
#define ORVANEL_SHELL_DISK_CHECK_TEXT_H

#include <cstddef>
#include <string>
#include <vector>

#include "collection/image_check.h"

// The disk of a finding: its place in the disk list, counted from 1, and
// its name.
std::string CheckedDiskText(size_t position, const char* name);

// What a finding's code means, in the window's own words; empty for a code
// it does not know.
std::string FindingMeaning(const char* code);

// The texts of a finding's row: disk, severity, code, offset (in bytes
// from the disk's header), what the code means and the check's sentence
// (the detail: which track, sector or file, and the values found).
struct FindingRow {
    std::string disk;
    std::string severity;
    std::string code;
    std::string offset;
    std::string meaning;
    std::string text;
};
FindingRow FindingRowOf(const std::string& disk, const Finding& finding);

// Whether any of the findings is an error: the disk list marks such a disk.
bool HasErrors(const std::vector<Finding>& findings);

// The line over the list: how many disks were checked, and how many errors
// and warnings were found, or that there were none.
std::string CheckSummaryText(size_t disks, size_t errors, size_t warnings);

// What Ctrl+C copies: one line per finding, its six texts separated by
// tabs, each line ended by CR LF; the summary line when there are none.
std::string FindingsText(const std::vector<FindingRow>& rows, const std::string& summary);

#endif
