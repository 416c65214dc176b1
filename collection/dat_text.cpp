// ClrMamePro text DATs: blocks of the form `name ( key value ... )`, where a
// value is a word or a "quoted string", or a block of its own (a game's
// `rom ( ... )`). Words are separated by blanks; "(" and ")" are words of
// their own. The header block is `clrmamepro`; entries are `game`,
// `machine` or `resource` blocks; other blocks and keys are passed over. A
// word that ends in a ')' it did not open ends before it, as some DATs
// close a block right after a value.
#include <string>

#include "collection/dat.h"

namespace {

class Tokens {
public:
    explicit Tokens(const std::string& text) : text_(text) {}

    // The next word, or a quoted string's contents (*quoted set); false at
    // the end, or on a quote that is never closed (`broken` set).
    bool Next(std::string* token, bool* quoted) {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        if (pos_ >= text_.size()) return false;
        *quoted = text_[pos_] == '"';
        if (*quoted) {
            size_t end = text_.find('"', pos_ + 1);
            if (end == std::string::npos) {
                broken = true;
                return false;
            }
            token->assign(text_, pos_ + 1, end - pos_ - 1);
            for (size_t i = pos_; i < end; ++i) line_ += text_[i] == '\n';
            pos_ = end + 1;
            return true;
        }
        size_t start = pos_;
        int open = 0;
        while (pos_ < text_.size() && !IsBlank(text_[pos_])) open += Paren(text_[pos_++]);
        // A block closed without a blank before it ("crc 82831b5e)"): the
        // ')' that the word does not open itself are words of their own.
        while (open < 0 && pos_ - start > 1 && text_[pos_ - 1] == ')') {
            --pos_;
            ++open;
        }
        token->assign(text_, start, pos_ - start);
        return true;
    }

    uint32_t line() const { return line_; }
    bool broken = false;

private:
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static int Paren(char c) { return c == '(' ? 1 : c == ')' ? -1 : 0; }
    const std::string& text_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
};

bool IsWord(const std::string& token, bool quoted, const char* word) {
    return !quoted && token == word;
}

class Parser {
public:
    Parser(const std::string& text, Dat* out) : tokens_(text), out_(out) {}

    bool Run(uint32_t* line, std::string* why) {
        std::string name, open;
        bool quoted = false, openQuoted = false;
        bool any = false;
        while (ok_ && tokens_.Next(&name, &quoted)) {
            if (quoted || name == "(" || name == ")") {
                Fail("a block's name was expected, not \"" + name + "\"");
            } else if (!tokens_.Next(&open, &openQuoted) || !IsWord(open, openQuoted, "(")) {
                Fail("'(' was expected after \"" + name + "\"");
            } else if (name == "clrmamepro") {
                any = true;
                Block(kHeader, nullptr, nullptr);
            } else if (name == "game" || name == "machine" || name == "resource") {
                any = true;
                out_->games.push_back(DatGame());
                Block(kGame, &out_->games.back(), nullptr);
            } else {
                Skip();
            }
        }
        if (ok_ && tokens_.broken) Fail("a quoted string is not closed");
        if (ok_ && !any) Fail("it holds no clrmamepro header and no game");
        *line = tokens_.line();
        *why = why_;
        return ok_;
    }

private:
    enum Kind { kHeader, kGame, kRom };

    void Fail(const std::string& why) {
        if (!ok_) return;
        ok_ = false;
        why_ = why;
    }

    // Reads `key value` pairs up to the block's ")".
    void Block(Kind kind, DatGame* game, DatRom* rom) {
        std::string key, value;
        bool quoted = false, valueQuoted = false;
        while (ok_) {
            if (!tokens_.Next(&key, &quoted)) return Fail(Unclosed());
            if (IsWord(key, quoted, ")")) return;
            if (IsWord(key, quoted, "(")) return Fail("a key was expected, not '('");
            if (!tokens_.Next(&value, &valueQuoted)) return Fail(Unclosed());
            if (IsWord(value, valueQuoted, ")"))
                return Fail("the key \"" + key + "\" has no value");
            if (IsWord(value, valueQuoted, "(")) {
                if (kind == kGame && key == "rom") {
                    game->roms.push_back(DatRom());
                    Block(kRom, game, &game->roms.back());
                } else {
                    Skip();
                }
                continue;
            }
            if (kind == kRom) {
                SetRomField(rom, key, value);
            } else if (key == "name") {
                (kind == kHeader ? out_->name : game->name) = value;
            } else if (key == "description") {
                (kind == kHeader ? out_->description : game->description) = value;
            }
        }
    }

    // Passes over a block whose "(" has been read, nested blocks and all.
    void Skip() {
        std::string token;
        bool quoted = false;
        for (uint32_t depth = 1; depth > 0;) {
            if (!tokens_.Next(&token, &quoted)) return Fail(Unclosed());
            if (IsWord(token, quoted, "(")) ++depth;
            if (IsWord(token, quoted, ")")) --depth;
        }
    }

    std::string Unclosed() const {
        return tokens_.broken ? "a quoted string is not closed" : "a block is not closed";
    }

    Tokens tokens_;
    Dat* out_;
    bool ok_ = true;
    std::string why_;
};

}  // namespace

bool ParseClrMamePro(const std::string& text, Dat* out, uint32_t* line, std::string* why) {
    Parser parser(text, out);
    return parser.Run(line, why);
}
