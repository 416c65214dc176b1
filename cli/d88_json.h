// The JSON that d88 prints, made by nlohmann-json: an array printed element
// by element, so that a list of any length streams, each element on a line
// of its own as "key": value, "key": value.
#ifndef ORVANEL_CLI_D88_JSON_H
#define ORVANEL_CLI_D88_JSON_H

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace d88cli {

// Keys stay in the order they are set.
typedef nlohmann::ordered_json Json;

// A value as one line of text. A string that is no UTF-8 has its bad
// bytes replaced by U+FFFD.
inline std::string JsonLine(const Json& value) {
    // Laid out with line breaks, which then give way to one blank after a
    // comma and to nothing elsewhere (a string holds none of its own).
    std::string text = value.dump(0, ' ', false, Json::error_handler_t::replace), line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n')
            line += text[i];
        else if (i > 0 && text[i - 1] == ',')
            line += ' ';
    }
    return line;
}

// "[", then "\n  ELEMENT" for each, separated by commas, then "\n]".
class JsonLines {
public:
    explicit JsonLines(std::ostream& out) : out_(out) {}
    void Begin() { out_ << "["; }
    void Item(const Json& element) {
        out_ << (any_ ? ",\n  " : "\n  ") << JsonLine(element);
        any_ = true;
    }
    void End() { out_ << (any_ ? "\n]\n" : "]\n"); }

private:
    std::ostream& out_;
    bool any_ = false;
};

}  // namespace d88cli

#endif
