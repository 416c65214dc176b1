// The help file the help command opens, from plain inputs.
#include "shell/help_choice.h"

namespace {

bool SameLetters(const char* value, const char* lower) {
    for (; *lower; ++value, ++lower) {
        char c = *value;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *lower) return false;
    }
    return *value == '\0';
}

}  // namespace

HelpOrder ChooseHelp(const HelpSystem& system) {
    HelpOrder order = {kHelpNone, {kHelpNone, kHelpNone}};
    bool winHelpWorks = system.majorVersion < 6 || system.wine;
    if (system.forced != kHelpNone)
        order.preferred = system.forced;
    else
        order.preferred = winHelpWorks ? kHelpHlp : kHelpChm;
    HelpFile other = order.preferred == kHelpHlp ? kHelpChm : kHelpHlp;
    int n = 0;
    const HelpFile candidates[2] = {order.preferred, other};
    for (int i = 0; i < 2; ++i) {
        bool exists = candidates[i] == kHelpHlp ? system.hlpExists : system.chmExists;
        if (exists) order.tryFiles[n++] = candidates[i];
    }
    return order;
}

HelpFile ForcedHelp(const char* value) {
    if (!value) return kHelpNone;
    if (SameLetters(value, "chm")) return kHelpChm;
    if (SameLetters(value, "hlp")) return kHelpHlp;
    return kHelpNone;
}
