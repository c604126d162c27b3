#include "cli/command_line.h"

#include "corvandale_version.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace corv::cli {

namespace {

constexpr char kProgramHelp[] =
    "Corvandale from the command line: analyses and converts WAVE files as the\n"
    "program's list and run do, with the same settings and channel map files.";

constexpr char kInfoFooter[] =
    "\nWith --json: an array with one object per file, keys path, name, directory,\n"
    "fileSize, channels, sampleRate, format, frameCount, bytesPerSample, sampleType,\n"
    "dataStart, channelMask (format and sampleType as their integer codes), and\n"
    "container (\"RIFF\", \"RF64\" or \"BW64\"; null when the file is not recognised).\n"
    "A path given twice counts once. Files that cannot be added are named on\n"
    "stderr and skipped; the exit status is then 1.";

constexpr char kConvertFooter[] =
    "\nThe files are converted as one list, in the order given (a path given twice\n"
    "counts once). Without --settings the defaults are used; an option given\n"
    "overrides what the settings file says. Jobs are never sent to the batcher:\n"
    "sendJobsToBatcher is forced off whatever the settings file holds.\n"
    "With --json: an array with one object per entry, keys name, result (1 not\n"
    "converted, 2 failed, 3 processed), peak (a number, -1 when none was\n"
    "measured, null when it is not finite) and outputs (the files written).\n"
    "Ctrl+C stops the run cleanly; the interrupted entry's outputs are removed.\n"
    "Exit status: 0 when every entry was processed, 1 otherwise or when a file\n"
    "could not be added, 2 for bad usage.";

// An option whose text value is checked and stored by parse; a value it
// refuses is a usage error naming what the option takes.
template <typename T, typename Parse>
CLI::Option* checkedOption(CLI::App& command, const std::string& name, std::optional<T>& target,
                           Parse parse, const std::string& takes, const std::string& help) {
    auto store = [&target, parse, name, takes](const std::string& text) {
        auto value = parse(text);
        if (!value) throw CLI::ValidationError(name, "'" + text + "' is not " + takes);
        target = std::move(*value);
    };
    return command.add_option_function<std::string>(name, store, help);
}

template <typename T>
CLI::Option* choiceOption(CLI::App& command, const std::string& name, std::optional<T>& target,
                          T value, const std::string& help) {
    return command.add_flag_callback(
        name, [&target, value] { target = value; }, help);
}

void addSettingsOption(CLI::App& command, CommandLine& line) {
    command
        .add_option(
            "--settings", line.settingsPath,
            "Binary settings file (settingsCorvandale.ini, 932 bytes) read over the defaults")
        ->type_name("FILE");
}

void addConvertOptions(CLI::App& convert, CommandLine& line) {
    ConvertFlags& f = line.flags;
    addSettingsOption(convert, line);
    convert.add_option("--maps", line.mapsPath, "Channel map file (mappings.ini format)")
        ->type_name("FILE");
    convert.add_flag("--json", line.json, "Results as JSON on stdout");

    checkedOption(convert, "--type", f.type, parseTypeName,
                  "one of 8bit, 16bit, 24bit, 32bit, float, float-pcm, float-ce, double",
                  "Convert the sample type: 8bit|16bit|24bit|32bit|float|float-pcm|float-ce|double")
        ->type_name("TYPE");
    checkedOption(convert, "--rate", f.rate, parseRate, "a positive whole number",
                  "Convert the sample rate to N Hz")
        ->type_name("N");
    convert.add_flag("--dither", f.dither, "Dither when reducing the sample type");
    checkedOption(convert, "--shaping", f.shaping, parseShaping, "1 (none), 2, 3 or 4",
                  "Noise shaping: 1 none, 2 triangular, 3 ATH based, 4 ATH lower amp")
        ->type_name("N");
    checkedOption(convert, "--pdf", f.pdf, parsePdf, "rect, tri or gauss",
                  "Dither distribution: rect|tri|gauss")
        ->type_name("PDF");
    checkedOption(convert, "--amp", f.amplitude, parseAmplitude, "a number above 0 and at most 16",
                  "Dither amplitude in steps of the output type")
        ->type_name("X");
    auto* amplify = checkedOption(convert, "--amplify", f.amplifyDb, parseDecibels, "a number",
                                  "Amplify by DB decibels (turns normalizing off)")
                        ->type_name("DB");
    auto* normalize = checkedOption(convert, "--normalize", f.normalizeFraction,
                                    parseNormalizePercent, "a percentage above 0 and at most 1000",
                                    "Normalize to PERCENT of full scale (turns amplifying off)")
                          ->type_name("PERCENT");
    amplify->excludes(normalize);
    checkedOption(convert, "--scope", f.scope, parseScope, "file, list or clip",
                  "Normalize each file, the whole list, or only on clipping: file|list|clip")
        ->type_name("SCOPE");
    convert.add_flag("--temp-file", f.tempFile, "Normalize through a temporary sample file");
    checkedOption(convert, "--format", f.format, parseFormatName, "pcm, nonpcm, ext or raw",
                  "Output format: pcm|nonpcm|ext|raw")
        ->type_name("FORMAT");
    checkedOption(convert, "--out", f.outDirectory, parseOutDirectory,
                  "a folder whose path fits 519 bytes with its final separator",
                  "Write the outputs into DIR instead of beside the sources")
        ->type_name("DIR");
    auto* mono = choiceOption(convert, "--mono", f.stream, StreamMode::Mono,
                              "Write each channel as a mono file");
    auto* stitch = choiceOption(convert, "--stitch", f.stream, StreamMode::Stitch,
                                "Join the files one after another");
    auto* merge = choiceOption(convert, "--merge", f.stream, StreamMode::Merge,
                               "Join the files' channels into one file");
    mono->excludes(stitch)->excludes(merge);
    stitch->excludes(merge);
    convert.add_flag("--delay", f.delay, "Apply the delay named in a file name (\"DELAY -12ms\")");
    convert.add_flag("--keep-length", f.keepLength,
                     "Keep each file's length when applying the delay");
    convert.add_flag("--maps-enabled", f.mapsEnabled, "Apply the active channel maps");
    convert.add_flag("--rf64", f.rf64,
                     "WAVE outputs that pass 4 GB become RF64 files (every WAVE output gets a "
                     "28-byte \"JUNK\" chunk behind \"WAVE\" to hold \"ds64\")");
    convert.add_option("FILE", line.files, "WAVE files")->required();
    convert.footer(kConvertFooter);
}

// The error and the one usage line of the command it concerns; the whole
// help is one --help away.
std::string usageMessage(const CLI::App* app, const CLI::Error& error) {
    std::string usage = "corvandale-cli info|convert|tree [options] FILE...";
    for (const CLI::App* command : app->get_subcommands()) {
        const std::string& name = command->get_name();
        if (name == "info")
            usage = "corvandale-cli info [--json] [--settings FILE] FILE...";
        else if (name == "convert")
            usage =
                "corvandale-cli convert [--settings FILE] [--maps FILE] [options] [--json] FILE...";
        else if (name == "tree")
            usage = "corvandale-cli tree [--settings FILE] FILE";
    }
    return "corvandale-cli: " + std::string(error.what()) + "\nUsage: " + usage +
           "\nRun with --help for more information.\n";
}

} // namespace

std::variant<CommandLine, int> parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    CLI::App app{kProgramHelp, "corvandale-cli"};
    app.require_subcommand(1);
    app.failure_message(usageMessage);
    app.set_version_flag("--version", "corvandale-cli " CORV_VERSION_TEXT);

    auto* info = app.add_subcommand("info", "Analyse files and show what they hold");
    addSettingsOption(*info, line);
    info->add_flag("--json", line.json, "The records as JSON on stdout");
    info->add_option("FILE", line.files, "Files to analyse")->required();
    info->footer(kInfoFooter);

    auto* convert = app.add_subcommand("convert", "Convert files as one list");
    addConvertOptions(*convert, line);

    auto* tree = app.add_subcommand("tree", "Print a file's chunk tree, one node per line");
    addSettingsOption(*tree, line);
    tree->add_option("FILE", line.files, "A RIFF file")->required()->expected(1);
    tree->footer("\nChildren are indented by two spaces per level.");

    // Left to the parser, a misspelt command would only be "not expected".
    const std::string first = argc > 1 ? argv[1] : "-";
    if (first[0] != '-' && first != "info" && first != "convert" && first != "tree") {
        std::cerr << usageMessage(&app,
                                  CLI::Error("UnknownCommand", "unknown command '" + first + "'"));
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        int status = app.exit(error, std::cout, std::cerr);
        return status == 0 ? kExitSuccess : kExitUsage;
    }
    if (info->parsed())
        line.command = Command::Info;
    else if (convert->parsed())
        line.command = Command::Convert;
    else
        line.command = Command::Tree;
    return line;
}

} // namespace corv::cli
