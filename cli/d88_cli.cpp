// The command line of d88, read by CLI11 from the command tables: each
// command a subcommand with its options, then its run, which parses its
// arguments, makes one call of the core and words the result.
#include "cli/d88_cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <new>

#include "cli/d88_help.h"
#include "cli/d88_words.h"
#include "orvanel_version.h"
#include "platform/file_api.h"
#include "platform/memory.h"

namespace d88cli {

int Tool::Usage(const std::string& command, const std::string& message) {
    err << "d88: " << message << "\n";
    err << (command.empty() ? std::string("Try 'd88 --help'.\n")
                            : "Try 'd88 " + command + " --help'.\n");
    return kExitUsage;
}

int Tool::Fail(const std::string& path, const std::string& message) {
    err << "d88: " << path << ": " << message << "\n";
    return kExitFailed;
}

int Tool::Fail(const IoStatus& status, const std::string& tail) {
    return Fail(status.path, Describe(files, status) + tail);
}

void Tool::Warn(const std::string& path, const std::string& message) {
    err << "d88: " << path << ": warning: " << message << "\n";
}

namespace {

const Command kHelp = {"help",
                       "[COMMAND]",
                       "show this text, or a command's own",
                       "Shows the general help, or the help of COMMAND.\n",
                       "",
                       {},
                       nullptr};

// The families of commands, in the order of 'd88 --help'. A new family
// (its table beside its commands) is one more entry here.
const std::vector<Command>& (*const kFamilies[])() = {ContainerCommands, ConvertCommands,
                                                     CollectionCommands};

// The tool's command line: every command of every family a subcommand.
class CommandLine {
public:
    CommandLine() : formatter_(std::make_shared<HelpFormatter>()) {
        app_.formatter(formatter_);
        app_.set_help_flag("-h,--help");
        app_.set_version_flag("--version", "d88 " ORVANEL_VERSION_TEXT);
        // One command at a time: the name of another command is an argument.
        app_.require_subcommand(0, 1);
        // Options are -x and --name on every system: on Windows too, an
        // argument that starts with '/' is a path (one Wine gives, say).
        app_.allow_windows_style_options(false);
        for (size_t f = 0; f < sizeof kFamilies / sizeof kFamilies[0]; ++f) {
            for (const Command& c : kFamilies[f]()) Add(c);
        }
        Add(kHelp);
    }

    // The command chosen, or null (after a message) when the line is wrong
    // or was a request for help or the version, which are then answered;
    // *status is the exit status for those.
    const Command* Parse(Tool& tool, std::vector<std::string> args, int* status);

    const Options& options() const { return options_; }
    // (CLI11's own help() would give the command's help once one was read.)
    std::string HelpOf(const std::string& name) const {
        const CLI::App* sub = Find(name);
        return sub ? formatter_->make_help(sub, name, CLI::AppFormatMode::Normal) : std::string();
    }
    std::string GeneralHelp() const {
        return formatter_->make_help(&app_, "", CLI::AppFormatMode::Normal);
    }

private:
    void Add(const Command& command) {
        CLI::App* sub = app_.add_subcommand(command.name, command.summary);
        sub->set_help_flag("-h,--help");
        sub->add_option("ARGUMENTS", options_.args);
        for (const OptionRow& row : command.options) {
            if (row.flag) {
                sub->add_flag(row.names, options_.*row.flag, row.help);
                continue;
            }
            OptionValue* value = &(options_.*row.field);
            sub->add_option_function<std::string>(
                   row.names,
                   [value](const std::string& text) {
                       value->given = true;
                       value->text = text;
                   },
                   row.help)
                ->type_name(row.value)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
        formatter_->Add(sub, &command);
        commands_.push_back(std::make_pair(sub, &command));
    }

    const CLI::App* Find(const std::string& name) const {
        for (size_t i = 0; i < commands_.size(); ++i)
            if (commands_[i].second->name == name) return commands_[i].first;
        return nullptr;
    }

    const Command* Chosen(std::string* name) const {
        for (size_t i = 0; i < commands_.size(); ++i) {
            if (commands_[i].first->parsed()) {
                *name = commands_[i].second->name;
                return commands_[i].second;
            }
        }
        return nullptr;
    }

    CLI::App app_;
    std::shared_ptr<HelpFormatter> formatter_;
    Options options_;
    std::vector<std::pair<CLI::App*, const Command*> > commands_;
};

const Command* CommandLine::Parse(Tool& tool, std::vector<std::string> args, int* status) {
    // CLI11 ends a command's arguments at "--" once it holds one; what
    // follows "--" is taken here instead, each word an argument.
    std::vector<std::string>::iterator mark = std::find(args.begin() + 1, args.end(), "--");
    std::vector<std::string> after(mark == args.end() ? mark : mark + 1, args.end());
    args.erase(mark, args.end());
    std::reverse(args.begin(), args.end());
    std::string name;
    try {
        app_.parse(args);
    } catch (const CLI::CallForHelp&) {
        const Command* chosen = Chosen(&name);
        tool.out << (chosen ? HelpOf(name) : GeneralHelp());
        *status = kExitOk;
        return nullptr;
    } catch (const CLI::CallForVersion& e) {
        tool.out << e.what() << "\n";
        *status = kExitOk;
        return nullptr;
    } catch (const CLI::ExtrasError&) {
        const Command* chosen = Chosen(&name);
        std::vector<std::string> extras = chosen ? Find(name)->remaining() : app_.remaining();
        std::string extra = extras.empty() ? std::string() : extras[0];
        if (!chosen && !extra.empty() && extra[0] != '-')
            *status = tool.Usage("", "no command '" + extra + "'");
        else
            *status = tool.Usage(
                name, "unknown option " + extra + (chosen ? " for '" + name + "'" : std::string()));
        return nullptr;
    } catch (const CLI::ParseError& e) {
        Chosen(&name);
        *status = tool.Usage(name, e.what());
        return nullptr;
    }
    const Command* chosen = Chosen(&name);
    options_.args.insert(options_.args.end(), after.begin(), after.end());
    if (!chosen) {
        // "d88 -- x": no command was named.
        *status = tool.Usage("", after.empty() ? "no command" : "no command '" + after[0] + "'");
        return nullptr;
    }
    return chosen;
}

int Main(Tool& tool, const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) {
        tool.err << line.GeneralHelp();
        return kExitUsage;
    }
    int status = kExitOk;
    const Command* command = line.Parse(tool, args, &status);
    if (!command) return status;
    const Options& o = line.options();
    if (command->run) return command->run(tool, o);
    // help [COMMAND]
    if (o.args.size() > 1) return tool.Usage("help", "'help' takes at most one COMMAND");
    std::string text = o.args.empty() ? line.GeneralHelp() : line.HelpOf(o.args[0]);
    if (text.empty()) return tool.Usage("", "no command '" + o.args[0] + "'");
    tool.out << text;
    return kExitOk;
}

}  // namespace

int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileApi& files, MemoryApi& memory) {
    // Whatever runs out of memory ends the command here; the new files it
    // made are gone by then, so nothing was replaced.
    try {
        Tool tool(out, err, files, memory);
        return Main(tool, args);
    } catch (const std::bad_alloc&) {
        err << "d88: not enough memory; nothing was changed\n";
        return kExitFailed;
    }
}

int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunD88(args, out, err, SystemFiles(), SystemMemory());
}

}  // namespace d88cli
