// The window's own words (CP932) for disk images of other formats: what a
// conversion loses and what it writes with, the geometries a raw image's
// size leaves open, and why an image could not be read or written. Plain
// functions of plain records; the dialogs only show what they make.
#ifndef ORVANEL_SHELL_CONVERSION_TEXT_H
#define ORVANEL_SHELL_CONVERSION_TEXT_H

#include <string>
#include <vector>

#include "formats/convert.h"

// One line per loss and per choice of the writer: "失われるもの:" and the
// losses, then "書き出しの設定:" and the choices (none for D88), each
// item after "- ". Empty when there is nothing to say.
std::vector<std::string> ConversionReportLines(const ConvertReport& report);
// The same lines as one text, each ended by "\r\n" (a multiline edit's).
std::string ConversionReportText(const ConvertReport& report);
// "80/2/16/256: 80ｼﾘﾝﾀﾞ,2面,1ﾄﾗｯｸ16ｾｸﾀ,1ｾｸﾀ256ﾊﾞｲﾄ".
std::string GeometryChoiceText(const Geometry& g);
// Why reading or writing an image failed, in one sentence.
std::string FormatFailureText(const FormatError& error);

#endif
