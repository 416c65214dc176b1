// The loss report worded for d88: one line for each kind of loss, one for
// each choice the writer made.
#ifndef ORVANEL_FORMATS_LOSS_TEXT_H
#define ORVANEL_FORMATS_LOSS_TEXT_H

#include <string>
#include <vector>

#include "formats/convert.h"

// "lost: deleted-data marks: 3 sectors, the first C 5 H 0 R 3 (track 10)".
std::string LossLine(const Loss& loss);
// The lines of the losses, each beginning with "lost: ".
std::vector<std::string> LossLines(const ConvertReport& report);
// The lines of the choices, each beginning with "written with: ": the
// geometry of raw and FDI, HFE's rate, turn, encoding, gaps and stepping.
std::vector<std::string> ChoiceLines(const ConvertReport& report);

#endif
