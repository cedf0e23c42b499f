// dravik-xml: checks, formats and explains the documents of the DravikLmx schemas.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "document_kinds.h"
#include "document_loading.h"
#include "file_bytes.h"
#include "lmx/errors.h"
#include "markup_census.h"

namespace dravik_xml {
namespace {

enum exit_status : int {
    k_exit_ok = 0,
    k_exit_document_errors = 1,
    k_exit_cannot = 2,  // a usage error or an unreadable file
};

exit_status worst(exit_status a, exit_status b) {
    return a > b ? a : b;
}

const char k_main_help[] =
    "Usage: dravik-xml COMMAND [OPTIONS] ARGUMENTS\n"
    "Checks and rewrites the XML documents of the DravikLmx library: the Flash call (flash),\n"
    "the settings documents (settings) and the messaging documents (messaging).\n"
    "\n"
    "Commands:\n"
    "  check FILE...          load each file with its schema's classes and report its errors\n"
    "  format FILE [-o OUT]   write the document back in the library's form\n"
    "  schema NAME            print the XSD of a schema, for xmllint --schema\n"
    "\n"
    "  dravik-xml COMMAND --help   describes a command\n"
    "  dravik-xml --version        prints the version\n"
    "\n"
    "Exit status: 0 all fine, 1 a document has errors, 2 a usage error or a file that cannot\n"
    "be read or checked.\n";

const char k_check_help[] =
    "Usage: dravik-xml check [--schema NAME] FILE...\n"
    "Loads each file with the bound classes of the schema its document element belongs to and\n"
    "prints either\n"
    "  FILE: ok (SCHEMA ELEMENT)\n"
    "or one line per error (at most 20 per file):\n"
    "  FILE:LINE: ITEM: MESSAGE [CODE]\n"
    "A document that loads but lacks required items gets one more line with code 21.\n"
    "\n"
    "  --schema NAME   load with this schema: flash, settings or messaging. Settings and\n"
    "                  messaging share a namespace and the elements Resource, Parameter and\n"
    "                  WPSubsystems; without --schema such a file is tried as settings, then\n"
    "                  as messaging, and the ok line says which was used.\n"
    "\n"
    "Exit status: 0 every file is fine, 1 a document has errors, 2 a file cannot be read or\n"
    "checked, or the command line is wrong.\n";

const char k_format_help[] =
    "Usage: dravik-xml format [--schema NAME] FILE [-o OUT]\n"
    "Loads the document and writes it in the library's form (UTF-8, XML declaration, tab\n"
    "indentation) to standard output, or to OUT, which is replaced only once it is complete.\n"
    "A document with errors is reported as by check and nothing is written.\n"
    "The flash and messaging schemas skip unknown elements and attributes when loading; when\n"
    "the output has fewer than the input, standard error says how many were dropped.\n"
    "\n"
    "  --schema NAME   load with this schema: flash, settings or messaging\n"
    "  -o OUT          write to OUT instead of standard output (OUT may be FILE)\n"
    "\n"
    "Exit status: 0 written, 1 the document has errors, 2 a file cannot be read or written, or\n"
    "the command line is wrong.\n";

const char k_schema_help[] =
    "Usage: dravik-xml schema NAME\n"
    "Prints the XSD of the schema NAME (flash, settings or messaging) as one self-contained\n"
    "file, for example: dravik-xml schema settings > settings.xsd &&\n"
    "xmllint --noout --schema settings.xsd my-settings.xml\n";

struct command_line {
    std::string command;
    std::vector<std::string> arguments;
    const schema_kind* forced_kind = nullptr;
    std::string output_file;
    bool wants_help = false;
};

exit_status usage_error(const std::string& command, const std::string& problem) {
    const std::string help =
        command.empty() ? "dravik-xml --help" : "dravik-xml " + command + " --help";
    std::fprintf(stderr, "dravik-xml: %s\nTry '%s'.\n", problem.c_str(), help.c_str());
    return k_exit_cannot;
}

// Options may stand anywhere after the command; "--" ends them.
bool parse_options(int argc, char** argv, command_line* line, std::string* problem) {
    bool options_ended = false;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool has_value = i + 1 < argc;
        if (options_ended || argument == "-" || argument.empty() || argument[0] != '-') {
            line->arguments.push_back(argument);
        } else if (argument == "--") {
            options_ended = true;
        } else if (argument == "--help" || argument == "-h") {
            line->wants_help = true;
        } else if (argument == "--schema" && has_value) {
            line->forced_kind = find_schema_kind(argv[++i]);
            if (!line->forced_kind) {
                *problem =
                    "unknown schema '" + std::string(argv[i]) + "'; use " + schema_kind_names();
                return false;
            }
        } else if (argument == "-o" && has_value && line->command == "format") {
            line->output_file = argv[++i];
        } else if ((argument == "--schema" || argument == "-o") && !has_value) {
            *problem = "option " + argument + " needs a value";
            return false;
        } else {
            *problem = "unknown option '" + argument + "'";
            return false;
        }
    }
    return true;
}

void print_errors(const std::string& file, const load_result& result) {
    for (const document_error& error : result.errors) {
        const std::string item = error.item.empty() ? "" : error.item + ": ";
        std::printf("%s:%d: %s%s [%d]\n", file.c_str(), error.line, item.c_str(),
                    lmx::get_error_description(error.code), static_cast<int>(error.code));
    }
    if (result.is_error_list_full)
        std::printf("%s: stopped after %zu errors; fix these and check again\n", file.c_str(),
                    result.errors.size());
}

// Reports a load that did not succeed, as check does; the status it deserves.
exit_status report_failed_load(const std::string& file, const load_result& result) {
    print_errors(file, result);
    if (!result.note.empty()) std::fprintf(stderr, "%s: %s\n", file.c_str(), result.note.c_str());
    return k_exit_document_errors;
}

bool read_or_report(const std::string& file, std::string* bytes) {
    std::string problem;
    if (read_file_bytes(file, bytes, &problem)) return true;
    std::fprintf(stderr, "dravik-xml: %s: %s\n", file.c_str(), problem.c_str());
    return false;
}

exit_status check_file(const std::string& file, const schema_kind* forced_kind) {
    std::string bytes;
    if (!read_or_report(file, &bytes)) return k_exit_cannot;
    const load_result result = load_document(bytes, forced_kind);
    if (result.status != load_status::loaded) return report_failed_load(file, result);
    std::printf("%s: ok (%s %s)\n", file.c_str(), std::string(result.kind->name()).c_str(),
                result.element.local_name.c_str());
    return k_exit_ok;
}

exit_status run_check(const command_line& line) {
    if (line.arguments.empty()) return usage_error("check", "give the files to check");
    exit_status status = k_exit_ok;
    for (const std::string& file : line.arguments) {
        status = worst(status, check_file(file, line.forced_kind));
        std::fflush(stdout);
    }
    return status;
}

// Lenient schemas skip what they do not know; say so rather than lose it silently.
void report_dropped_markup(const std::string& file, std::string_view input, std::string_view output,
                           const schema_kind& kind) {
    markup_census before;
    markup_census after;
    if (!take_census(input, &before) || !take_census(output, &after)) return;
    if (after.elements >= before.elements && after.attributes >= before.attributes) return;
    const std::size_t elements =
        before.elements > after.elements ? before.elements - after.elements : 0;
    const std::size_t attributes =
        before.attributes > after.attributes ? before.attributes - after.attributes : 0;
    std::fprintf(stderr,
                 "%s: dropped %zu unknown element(s) and %zu attribute(s) not in the %s schema\n",
                 file.c_str(), elements, attributes, std::string(kind.name()).c_str());
}

exit_status write_output(const command_line& line, const loaded_document& document,
                         const std::string& text) {
    if (line.output_file.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? k_exit_ok : k_exit_cannot;
    }
    const lmx::elmx_error error = document.marshal(line.output_file.c_str());
    if (error == lmx::ELMX_OK) return k_exit_ok;
    std::fprintf(stderr,
                 "dravik-xml: %s: cannot write it (%s); check that its directory exists "
                 "and is writable\n",
                 line.output_file.c_str(), lmx::get_error_description(error));
    return k_exit_cannot;
}

exit_status run_format(const command_line& line) {
    if (line.arguments.size() != 1) return usage_error("format", "give exactly one file to format");
    const std::string& file = line.arguments.front();
    std::string bytes;
    if (!read_or_report(file, &bytes)) return k_exit_cannot;
    const load_result result = load_document(bytes, line.forced_kind);
    if (result.status != load_status::loaded) return report_failed_load(file, result);
    std::string text;
    const lmx::elmx_error error = result.document->marshal(&text);
    if (error != lmx::ELMX_OK) {
        std::fprintf(stderr, "dravik-xml: %s: cannot write the document (%s [%d])\n", file.c_str(),
                     lmx::get_error_description(error), static_cast<int>(error));
        return k_exit_document_errors;
    }
    if (result.kind->schema->is_lenient) report_dropped_markup(file, bytes, text, *result.kind);
    return write_output(line, *result.document, text);
}

exit_status run_schema(const command_line& line) {
    if (line.arguments.size() != 1)
        return usage_error("schema", "give one schema name: " + schema_kind_names());
    const schema_kind* kind = find_schema_kind(line.arguments.front());
    if (!kind)
        return usage_error("schema", "unknown schema '" + line.arguments.front() + "'; use " +
                                         schema_kind_names());
    const std::string_view text = kind->schema->text;
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? k_exit_ok : k_exit_cannot;
}

struct command {
    std::string_view name;
    exit_status (*run)(const command_line&);
    const char* help;
};

constexpr command k_commands[] = {
    {"check", run_check, k_check_help},
    {"format", run_format, k_format_help},
    {"schema", run_schema, k_schema_help},
};

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(k_main_help, stderr);
        return k_exit_cannot;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        std::fputs(k_main_help, stdout);
        return k_exit_ok;
    }
    if (first == "--version") {
        std::printf("dravik-xml (DravikLmx) %s\n", DRAVIK_LMX_VERSION);
        return k_exit_ok;
    }
    for (const command& candidate : k_commands) {
        if (candidate.name != first) continue;
        command_line line;
        line.command = first;
        std::string problem;
        if (!parse_options(argc, argv, &line, &problem)) return usage_error(first, problem);
        if (line.wants_help) {
            std::fputs(candidate.help, stdout);
            return k_exit_ok;
        }
        return candidate.run(line);
    }
    return usage_error("", "unknown command '" + first + "'; use check, format or schema");
}

}  // namespace
}  // namespace dravik_xml

int main(int argc, char** argv) {
    return dravik_xml::run(argc, argv);
}
